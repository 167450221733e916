#pragma once
// The simulator's entry in the folder of port aliases: a symbolic link named after the simulated
// controller that points at its line (a pseudo-terminal, or the URL of a network port), so that
// the tool's port chooser offers it.

#include <QString>

namespace tq::sim {

class AliasLink {
public:
    explicit AliasLink(QString name) : m_name(std::move(name)) {}
    AliasLink(const AliasLink&) = delete;
    AliasLink& operator=(const AliasLink&) = delete;
    ~AliasLink() { remove(); }

    // Creates or re-points the link. A link of that name pointing at a live device of someone
    // else is left alone and reported.
    bool point(const QString& target, QString* error);
    // Removes the link if it is still ours.
    void remove();

    QString path() const;

private:
    QString m_name;
    QString m_target;
};

}  // namespace tq::sim
