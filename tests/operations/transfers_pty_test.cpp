// The verify-before-commit cycle end to end against tq310-sim on a pseudo-terminal.
#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "params/param_record.h"
#include "sim/param_image.h"
#include "simulated_tool.h"
#include "ui/message_box.h"

using tq::test::SimulatedTool;

namespace {

// The engine through the parameter record and the menu texts, a tick as each is complete.
bool readBack(SimulatedTool& tool, QAction* item)
{
    item->trigger();
    if (!tool.waitForBytes(56))
        return false;
    tool.tick();
    if (tool.m().ReceiveMode != tq::MenuRead || !tool.waitForBytes(120))
        return false;
    tool.tick();
    return tool.m().ReceiveMode == tq::Terminal;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TransfersPtyTest : public QObject {
    Q_OBJECT

private slots:
    void copyAndCommitThenWriteReadBackCommitAndReinitialise()
    {
        QTemporaryDir dir;
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));  // none yet: the factory set-up
        SimulatedTool tool({QStringLiteral("--eeprom"), eeprom});
        QVERIFY(tool.form.isConnected());
        tq::Module1& m = tool.m();
        tq::ui::MessageCapture capture;

        // The controller's set-up copied into the working copy commits at once.
        m.FileParams[10] = 1;
        m.FileMenuTexts[0] = "VECCHIO";
        m.CurrentFileName = "vecchio.ini";
        QVERIFY(readBack(tool, tool.form.ChipBuffer));
        const tq::sim::ParamImage factory = tq::sim::factorySetup();
        QVERIFY(std::equal(factory.record.begin(), factory.record.end(), m.FileParams.begin()));
        QCOMPARE(m.FileMenuTexts[0], factory.texts.substr(0, 10));
        QVERIFY(m.CurrentFileName.empty());
        tool.form.Weeprom->trigger();
        // Only "W" with the password makes the simulator write its EEPROM file.
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), QByteArray::fromStdString(factory.bytes()), 5000);

        // An edited working copy, written, read back and committed.
        for (int i = 0; i < tq::kParamCount; ++i)
            m.FileParams[i] = static_cast<std::uint8_t>(i < 3 ? i % 2 : (i * 7 + 3) % 250);
        for (int k = 0; k < 12; ++k)
            m.FileMenuTexts[k] = "VOCE " + std::to_string(k + 10) + " \xE8 ";
        tool.form.ListInit();
        tool.form.AlTq310->trigger();
        QVERIFY(readBack(tool, tool.form.daltq310));
        QCOMPARE(m.ChipParams, m.FileParams);
        tool.form.Weeprom->trigger();
        const QByteArray saved = QByteArray::fromStdString(
            std::string(m.FileParams.begin(), m.FileParams.begin() + 56) + tq::menuTextBlock(m.FileMenuTexts));
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), saved, 5000);
        QVERIFY(capture.messages.empty());

        // A later write that is not committed is forgotten by "z".
        const tq::ParamRecord committed = m.FileParams;
        m.FileParams[5] ^= 0x40;
        tool.form.ListInit();
        tool.form.AlTq310->trigger();
        QVERIFY(readBack(tool, tool.form.daltq310));
        QCOMPARE(m.ChipParams[5], m.FileParams[5]);
        tool.form.RipIni->trigger();
        QVERIFY(readBack(tool, tool.form.daltq310));
        QCOMPARE(m.ChipParams, committed);
        QCOMPARE(m.ChipMenuTexts[0], std::string("VOCE 10 \xE8 "));
    }

    void aSilentControllerChangesNeitherDeviceCopy()
    {
        SimulatedTool tool({QStringLiteral("--fault"), QStringLiteral("silent")});
        QVERIFY(tool.form.isConnected());
        tq::Module1& m = tool.m();
        m.ChipParams.fill(3);
        m.ChipMenuTexts.fill("PRIMA     ");
        const tq::Module1 before = m;
        for (QAction* item : {tool.form.daltq310, tool.form.ChipBuffer}) {
            item->trigger();
            QVERIFY(!tool.waitForBytes(1, 400));  // a controller answers within 60 ms
            tool.tick();
            QCOMPARE(tool.terminal(), m.NoAnswerText);
            QVERIFY(tool.form.Text1->toPlainText().startsWith(QLatin1String(" La macchina non risponde !!")));
            QCOMPARE(m.ChipParams, before.ChipParams);
            QCOMPARE(m.ChipMenuTexts, before.ChipMenuTexts);
            QCOMPARE(m.FileParams, before.FileParams);
        }
    }
};

QTEST_MAIN(TransfersPtyTest)
#include "transfers_pty_test.moc"
