// The main window's settings in section LAST: defaults on a first start,
// writes at the moments the operator acts, restoring after a restart, and
// stored values that do not convert.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <csignal>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "link/TALVOR_comport.h"
#include "support/ui/UiHarness.h"

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(MainWindowSettings, AFirstStartShowsTheDefaultsThenChoicesAreWrittenAndRestored) {
    UiHarness ui;
    ui.start();
    EXPECT_EQ(ItemIndex(Form1->cmb_port), 0);
    EXPECT_EQ(ToStd(Form1->cmb_port->currentText()), ui.sim.devicePath());
    EXPECT_EQ(ToStd(Form1->cmb_baud->currentText()), "19200");
    EXPECT_EQ(Form1->rdb_read->ItemIndex(), 1);
    EXPECT_FALSE(Form1->cb_sendp->isChecked());
    EXPECT_EQ(Form1->rdb_auto->ItemIndex(), 1);
    EXPECT_EQ(ToStd(Form1->cmb_nblocks->currentText()), "2");
    for (QLineEdit* e : {Form1->edt_p1, Form1->edt_p2, Form1->edt_p3, Form1->edt_p4}) {
        EXPECT_EQ(ToStd(e->text()), "00");
        EXPECT_FALSE(e->isEnabled());
    }
    EXPECT_EQ(PollLimit, kNormalPollLimit);
    EXPECT_TRUE(ui.boxes.errors.empty());
    EXPECT_EQ(ui.iniText(), "");

    // Choices are written at once and restored after a restart.
    SetItemIndex(Form1->cmb_baud, 3);
    Form1->cmb_baudChange();
    EXPECT_TRUE(contains(ui.iniText(), "[LAST]"));
    EXPECT_TRUE(contains(ui.iniText(), "cmb_baud=3"));

    Form1->rdb_read->SetItemIndex(3);
    Form1->rdb_readClick();
    Form1->rdb_auto->SetItemIndex(0);
    Form1->rdb_autoClick();
    SetItemIndex(Form1->cmb_nblocks, 6);
    Form1->cmb_nblocksChange();
    Form1->cb_sendp->setChecked(true);  // its click handler runs on the change
    EXPECT_TRUE(contains(ui.iniText(), "cb_sendp=-1"));
    Form1->edt_p1->setText("12");
    Form1->edt_p4->setText("Ab");
    EXPECT_FALSE(contains(ui.iniText(), "edt_p1"));  // only when the window closes

    ui.restart();
    EXPECT_EQ(ToStd(Form1->cmb_baud->currentText()), "57600");
    EXPECT_EQ(Form1->rdb_read->ItemIndex(), 3);
    EXPECT_EQ(Form1->rdb_auto->ItemIndex(), 0);
    EXPECT_EQ(ToStd(Form1->cmb_nblocks->currentText()), "7");
    EXPECT_TRUE(Form1->cb_sendp->isChecked());
    EXPECT_TRUE(Form1->edt_p1->isEnabled());
    EXPECT_EQ(ToStd(Form1->edt_p1->text()), "12");
    EXPECT_EQ(ToStd(Form1->edt_p4->text()), "Ab");
}

TEST(MainWindowSettings, TypedTextsAreStoredAsTheIndexOfNoItem) {
    UiHarness ui;
    ui.start();
    Form1->cmb_port->setEditText("/dev/ttyNOWHERE");
    Form1->cmb_portChange();
    EXPECT_TRUE(contains(ui.iniText(), "cmb_port=-1"));
    // A typed name is opened all the same, and fails with the port's error.
    EXPECT_THROW(Form1->btn_openClick(), EComPort);
    EXPECT_TRUE(Form1->btn_open->isVisibleTo(Form1));
    ui.restart();
    EXPECT_EQ(ItemIndex(Form1->cmb_port), -1);
    EXPECT_EQ(ToStd(Form1->cmb_port->currentText()), "");
}

TEST(MainWindowSettings, AValueThatDoesNotConvertStopsLoadingTheSection) {
    UiHarness ui;
    ui.writeIni("[LAST]\ncmb_port=0\ncmb_baud=4\nrdb_read=x1\nrdb_auto=0\ncmb_nblocks=5\n");
    ui.start();
    EXPECT_EQ(ui.boxes.errors, Lines{"'x1' is not a valid integer value"});
    EXPECT_EQ(ToStd(Form1->cmb_baud->currentText()), "115200");
    EXPECT_EQ(Form1->rdb_auto->ItemIndex(), 1);  // not read: the initial value stands
    EXPECT_EQ(ToStd(Form1->cmb_nblocks->currentText()), "1");
    EXPECT_EQ(PollLimit, kNormalPollLimit);  // start-up went on

    ui.stopWindows();
    ui.boxes.clear();
    ui.writeIni("[LAST]\ncb_sendp=maybe\nrdb_auto=0\n");
    ui.start();
    EXPECT_EQ(ui.boxes.errors, Lines{"'maybe' is not a valid boolean value"});
    EXPECT_EQ(Form1->rdb_auto->ItemIndex(), 1);
}

TEST(MainWindowSettings, BooleanWordsAndOutOfRangePositionsLoadSafely) {
    UiHarness ui;
    ui.writeIni("[last]\n  CB_SENDP = true \ncmb_port=9\nrdb_read=-1\ncmb_nblocks=12\n");
    ui.start();
    EXPECT_TRUE(ui.boxes.errors.empty());
    EXPECT_TRUE(Form1->cb_sendp->isChecked());
    EXPECT_TRUE(Form1->edt_p2->isEnabled());
    EXPECT_EQ(ItemIndex(Form1->cmb_port), -1);
    EXPECT_EQ(Form1->rdb_read->ItemIndex(), -1);
    EXPECT_EQ(ItemIndex(Form1->cmb_nblocks), -1);
}

TEST(MainWindowSettings, ARefusedWriteWhileLoadingLeavesTheFieldsFollowingTheBox) {
    UiHarness ui;
    ui.writeIni("[LAST]\ncb_sendp=-1\nrdb_auto=0\n");
    // No file may grow, so every write of the settings file fails, root or not.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit none = saved;
    none.rlim_cur = 0;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    ui.start();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(ui.boxes.errors, Lines{"Unable to write to " + ui.iniPath()});
    EXPECT_TRUE(Form1->cb_sendp->isChecked());
    for (QLineEdit* e : {Form1->edt_p1, Form1->edt_p2, Form1->edt_p3, Form1->edt_p4})
        EXPECT_TRUE(e->isEnabled()) << e->objectName().toStdString();
    EXPECT_EQ(Form1->rdb_auto->ItemIndex(), 0);  // loading went on after the message
}

}  // namespace
