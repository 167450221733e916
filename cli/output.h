#pragma once
// Where tq310-cli's words go. Results go to standard output: lines for a person, or with --json
// one JSON object a line. Errors go to standard error, always, prefixed with the program's name.
// Progress goes to standard error only when it is a terminal, so that a script's log holds
// results and errors and nothing else.
//
// Every outcome, a result, an error or a usage error, is one JSON object with the same fields
// first: "command", "port", "file" (as the user typed them; empty when not given), "status" (the
// exit status) and "message"; a command adds its own fields after them.

#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <string_view>

namespace tq::cli {

// What a command was given, as the user typed it.
struct Subject {
    QString command;
    QString port;  // --port LOCATION
    QString file;  // FILE.ini
};

// The object of one outcome: the five fields, then `more`.
QJsonObject outcomeJson(const Subject& subject, int status, const QString& message, const QJsonObject& more = {});

class Output {
public:
    // progress: whether progress lines are printed (the caller asks isatty of standard error).
    Output(bool json, bool progress, std::FILE* out = stdout, std::FILE* err = stderr);

    bool json() const { return m_json; }

    // A result line for a person; nothing with --json.
    void line(const QString& text);
    // An outcome's object (outcomeJson); nothing without --json.
    void object(const Subject& subject, int status, const QString& message, const QJsonObject& more = {});
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

// A text that came from the controller or a file, for a terminal: its control characters (ESC
// [ 2 J would clear the screen) and the backslash shown as escapes, "\x1B[2J", "\\".
QString escapedText(const QString& text);

}  // namespace tq::cli
