#pragma once
// Where tq310-cli's words go. Results go to standard output: lines for a person, or with --json
// one JSON object a line. Errors go to standard error, always, prefixed with the program's name.
// Progress goes to standard error only when it is a terminal, so that a script's log holds
// results and errors and nothing else.
//
// Every outcome, a result, an error or a usage error, is one JSON object with the same fields
// first: "command", "port", "file" (as the user typed them; empty when not given), "status" (the
// exit status) and "message"; a command adds its own fields after them.
//
// In a series (many ports in one run, runner.h) each port has an Output of its own
// (seriesPart): no progress and none of the result lines; each outcome is its JSON object, or
// one line that starts with the port ("/dev/ttyUSB0: " and the message, its lines joined by
// "; "). Errors go to standard error as in a run on one port.

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
    // The Output of one port of a series, on the same streams.
    Output seriesPart() const;

    // A result line for a person; nothing with --json.
    void line(const QString& text);
    // An outcome's object (outcomeJson); nothing without --json.
    void object(const Subject& subject, int status, const QString& message, const QJsonObject& more = {});
    // The object of the last outcome, printed or not.
    const QJsonObject& lastOutcome() const { return m_last; }
    void error(const QString& text);
    void progress(const QString& text);

private:
    void print(std::FILE* to, const QString& text, bool prefixed);

    bool m_json;
    bool m_progress;
    std::FILE* m_out;
    std::FILE* m_err;
    bool m_series = false;
    QJsonObject m_last;
};

// A text of the tool (bytes 0-255, Latin-1, CR LF line breaks) as the console shows it.
QString systemText(std::string_view bytes);

// A text that came from the controller or a file, for a terminal: its control characters (ESC
// [ 2 J would clear the screen) and the backslash shown as escapes, "\x1B[2J", "\\".
QString escapedText(const QString& text);

}  // namespace tq::cli
