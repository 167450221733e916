#include "cli/output.h"

#include <QJsonDocument>

namespace tq::cli {

QString systemText(std::string_view bytes)
{
    QString text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

Output::Output(bool json, bool progress, std::FILE* out, std::FILE* err)
    : m_json(json), m_progress(progress), m_out(out), m_err(err)
{
}

void Output::line(const QString& text)
{
    if (!m_json)
        print(m_out, text, false);
}

void Output::object(const QJsonObject& object)
{
    if (m_json)
        print(m_out, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)), false);
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
    const QByteArray bytes = (all + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), to);
    std::fflush(to);
}

}  // namespace tq::cli
