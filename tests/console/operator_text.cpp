// The operator's text: what the key filters let into a field whatever it
// already holds, and how text crosses between the windows, the settings file,
// the device paths and the module.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "console/HandlerGuard.h"
#include "console/Unit1.h"
#include "dialogs/Unit3.h"
#include "dialogs/Unit4.h"
#include "dialogs/Unit5.h"
#include "dialogs/Unit8.h"
#include "dialogs/Unit9.h"
#include "link/TALVOR_comport.h"
#include "support/ui/UiHarness.h"

namespace {

// Keys as the operator presses them: '\b' is Backspace, '\x16' is Ctrl+V.
void press(QLineEdit* field, const std::string& keys) {
    for (const char key : keys) {
        if (key == '\b')
            QTest::keyClick(field, Qt::Key_Backspace);
        else if (key == '\x16')
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        else
            QTest::keyClick(field, key);
    }
}

TEST(OperatorText, EveryEditIsJudgedByWhatItInsertsWhateverTheFieldHolds) {
    UiHarness ui;
    ui.start();
    Form1->cb_sendp->setChecked(true);
    Form3->cb_pass->setChecked(true);
    Form5->cb_GPIO->setChecked(true);
    const struct {
        QLineEdit* field;
        const char* loaded;     // set by code, as loading sets it
        const char* clipboard;  // for Ctrl+V
        std::string keys;
        const char* shown;
    } rows[] = {
        {Form1->edt_p1, "ZZ", "", "GQ!", "ZZ"},         // hex, 2: nothing refused gets in
        {Form1->edt_p1, "123", "", "4", "123"},         // already beyond the limit
        {Form1->edt_p1, "123", "", "\b\b4", "14"},      // deletions always pass
        {Form1->edt_p1, "", "1G", "\x16", ""},          // a paste is refused whole
        {Form1->edt_p1, "", "a1", "\x16", "a1"},        // letters stay as typed
        {Form1->edt_p1, "7", "ab", "\x16", "7"},        // a paste beyond the limit
        {Form5->edt_gpiotime, "9z", "", "x87", "9z8"},  // decimal, 3
        {Form8->Edit1, "z", "", "ag", "ZA"},            // hex, 2, shown in upper case
        {Form3->Edit9, "", "", "abcg0", "abc0"},        // hex, no limit
    };
    for (const auto& row : rows) {
        QGuiApplication::clipboard()->setText(row.clipboard);
        row.field->setText(row.loaded);
        press(row.field, row.keys);
        EXPECT_EQ(row.field->text().toStdString(), row.shown)
            << row.field->objectName().toStdString() << " loaded \"" << row.loaded << "\"";
    }

    // The field's context menu offers Paste only for text the filter takes.
    for (const char* clipboard : {"1G", "1F"}) {
        QGuiApplication::clipboard()->setText(clipboard);
        Form1->edt_p1->clear();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(Form1->edt_p1, &menuEvent);
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
        int offered = 0;
        for (QAction* action : menu->actions())
            offered += action->text().startsWith(paste + "\t") && action->isEnabled();
        EXPECT_EQ(offered, clipboard == std::string("1F") ? 1 : 0) << clipboard;
        menu->close();
    }
}

TEST(OperatorText, TravelsAsUtf8AndModuleBytesShowOneCharacterEach) {
    UiHarness ui;
    const std::string device = ui.folder.file("pört-é");
    ASSERT_EQ(symlink(ui.sim.devicePath().c_str(), device.c_str()), 0);
    ui.writeIni("[I2C]\nStatus=-1\nAddress=é1\n");
    ui.start();

    // A typed device path is the path the system knows.
    Form1->cmb_port->setEditText(QString::fromStdString(device));
    Guarded([] { Form1->btn_openClick(); });
    EXPECT_TRUE(com_form->comport1.Connected());

    // Stored values read and write back unchanged.
    EXPECT_EQ(Form9->Edit1->text(), QString::fromUtf8("é1"));
    ShowDialog(Form9);
    Form9->close();
    EXPECT_NE(ui.iniText().find("Address=é1\n"), std::string::npos) << ui.iniText();

    // A refused field names what the operator typed.
    Form4->edt_wg->setText(QString::fromUtf8("1é"));
    Guarded([] { Form4->Button1Click(); });
    EXPECT_EQ(ui.boxes.errors, Lines{"'1é' is not a valid integer value"});

    ui.sim.withModule([](SimulatedModule& m) { m.setFirmwareVersion("1\xB5"); });
    ui.clearLog();
    Form1->Button5Click();
    const QStringList log = Form1->Memo1->toPlainText().split('\n');
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log[1], QString("RX > Firmware:\"1") + QChar(0xB5) + "\"\tFF 01 03 50 31 B5 3A ");
}

}  // namespace
