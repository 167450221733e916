#pragma once
// Where tq310-cli's words go. Results go to standard output: lines for a person, or with --json
// one JSON object a line. Errors go to standard error, always, prefixed with the program's name.
// Progress goes to standard error only when it is a terminal, so that a script's log holds
// results and errors and nothing else.

#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <string_view>

namespace tq::cli {

class Output {
public:
    // progress: whether progress lines are printed (the caller asks isatty of standard error).
    Output(bool json, bool progress, std::FILE* out = stdout, std::FILE* err = stderr);

    bool json() const { return m_json; }

    // A result line for a person; nothing with --json.
    void line(const QString& text);
    // A result object; nothing without --json.
    void object(const QJsonObject& object);
    void error(const QString& text);
    void progress(const QString& text);

private:
    void print(std::FILE* to, const QString& text, bool prefixed);

    bool m_json;
    bool m_progress;
    std::FILE* m_out;
    std::FILE* m_err;
};

// A text of the tool (bytes 0-255, Latin-1, CR LF line breaks) as the console shows it.
QString systemText(std::string_view bytes);

}  // namespace tq::cli
