#include "cli/output.h"

#include <QJsonDocument>

#include "files/system_file.h"

namespace tq::cli {

QJsonObject outcomeJson(const Subject& subject, int status, const QString& message, const QJsonObject& more)
{
    QJsonObject object{{QStringLiteral("command"), subject.command}, {QStringLiteral("port"), subject.port},
                       {QStringLiteral("file"), subject.file},       {QStringLiteral("status"), status},
                       {QStringLiteral("message"), message}};
    for (auto it = more.begin(); it != more.end(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

QString systemText(std::string_view bytes)
{
    QString text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

QString escapedText(const QString& text)
{
    QString shown;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == u'\\')
            shown += QLatin1String("\\\\");
        else if (code < 0x20 || (code >= 0x7F && code < 0xA0))
            shown += QLatin1String("\\x") + QString::number(code, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

Output::Output(bool json, bool progress, std::FILE* out, std::FILE* err)
    : m_json(json), m_progress(progress), m_out(out), m_err(err)
{
}

Output Output::seriesPart() const
{
    Output part(m_json, false, m_out, m_err);
    part.m_series = true;
    return part;
}

void Output::line(const QString& text)
{
    if (!m_json && !m_series)
        print(m_out, text, false);
}

void Output::object(const Subject& subject, int status, const QString& message, const QJsonObject& more)
{
    m_last = outcomeJson(subject, status, message, more);
    if (m_json) {
        print(m_out, QString::fromUtf8(QJsonDocument(m_last).toJson(QJsonDocument::Compact)), false);
    } else if (m_series) {
        QStringList lines = message.split(QLatin1Char('\n'));
        for (QString& l : lines)
            l = l.simplified();
        lines.removeAll(QString());
        print(m_out, subject.port + QStringLiteral(": ") + lines.join(QStringLiteral("; ")), false);
    }
}

void Output::error(const QString& text)
{
    print(m_err, text, true);
}

void Output::progress(const QString& text)
{
    if (m_progress)
        print(m_err, text, true);
}

void Output::print(std::FILE* to, const QString& text, bool prefixed)
{
    QString all = text;
    if (all.endsWith(QLatin1Char('\n')))
        all.chop(1);
    if (prefixed)
        all = QStringLiteral("tq310-cli: ") + all;
    // A file name the system gave as bytes that are no UTF-8 goes out as those bytes.
    const QByteArray bytes = systemName(all + QLatin1Char('\n'));
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), to);
    std::fflush(to);
}

}  // namespace tq::cli
