// The transfers end to end: the main window connected to a tq310-sim process on a
// pseudo-terminal copies the controller's set-up and commits it, then writes, reads back and
// commits an edited working copy, and forgets a write that was not committed.
#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "params/param_record.h"
#include "sim/param_image.h"
#include "support/file_bytes.h"
#include "support/simulated_form1.h"
#include "ui/message_box.h"

using tq::test::fileBytes;
using tq::test::SimulatedTool;

class Form1TransfersPtyTest : public QObject {
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
        QVERIFY(tool.readBack("ChipBuffer"));
        const tq::sim::ParamImage factory = tq::sim::factorySetup();
        QVERIFY(std::equal(factory.record.begin(), factory.record.end(), m.FileParams.begin()));
        QCOMPARE(m.FileMenuTexts[0], factory.texts.substr(0, 10));
        QVERIFY(m.CurrentFileName.empty() && !control<QAction>(tool.form, "ParUsb")->isEnabled());
        use(tool.form, "Weeprom");
        // Only "W" with the password makes the simulator write its EEPROM file.
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), QByteArray::fromStdString(factory.bytes()), 5000);

        // An edited working copy, written, read back and committed.
        for (int i = 0; i < tq::kParamCount; ++i)
            m.FileParams[i] = static_cast<std::uint8_t>(i < 3 ? i % 2 : (i * 7 + 3) % 250);
        for (int k = 0; k < 12; ++k)
            m.FileMenuTexts[k] = "VOCE " + std::to_string(k + 10) + " \xE8 ";
        tool.form.ListInit();
        use(tool.form, "AlTq310");
        QVERIFY(tool.readBack("daltq310"));
        QCOMPARE(m.ChipParams, m.FileParams);
        QVERIFY(control<QAction>(tool.form, "ParUsb")->isEnabled());
        use(tool.form, "Weeprom");
        const QByteArray saved = QByteArray::fromStdString(
            std::string(m.FileParams.begin(), m.FileParams.begin() + 56) + tq::menuTextBlock(m.FileMenuTexts));
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), saved, 5000);
        QVERIFY(capture.messages.empty());

        // A later write that is not committed is forgotten by "z".
        const tq::ParamRecord committed = m.FileParams;
        m.FileParams[5] ^= 0x40;
        tool.form.ListInit();
        use(tool.form, "AlTq310");
        QVERIFY(tool.readBack("daltq310"));
        QCOMPARE(m.ChipParams[5], m.FileParams[5]);
        use(tool.form, "RipIni");
        QVERIFY(tool.readBack("daltq310"));
        QCOMPARE(m.ChipParams, committed);
        QCOMPARE(m.ChipMenuTexts[0], std::string("VOCE 10 \xE8 "));
    }
};

QTEST_MAIN(Form1TransfersPtyTest)
#include "form1_transfers_pty_test.moc"
