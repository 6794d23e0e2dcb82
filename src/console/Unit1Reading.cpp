// The main window's reading controls: Start Read, Stop Reading, One Shoot
// Read, Set Auto Mode, and the selections they send.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <stdexcept>

#include "console/CommandExchange.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "link/CommandTable.h"
#include "link/TALVOR_comport.h"
#include "module/ReadCommands.h"
#include "settings/SettingsFile.h"

void TForm1::RequireReadType() const {
    // A stored "-1" leaves no read type chosen; no code may be guessed for it.
    // Refusing by exception also ends a calibration run that clicks Start Read.
    if (rdb_read->ItemIndex() < 0 || rdb_read->ItemIndex() >= 4)
        throw std::runtime_error("Please choose a Read Type first.");
}

uint8_t TForm1::readTypeCode() const {
    // Items 1 and 2 are not in code order.
    static const uint8_t codes[] = {ReadTypes::ByteTrackRF64, ReadTypes::Em4100Decoded,
                                    ReadTypes::Em4100Raw, ReadTypes::ByteTrackRF32};
    return codes[rdb_read->ItemIndex()];
}

uint8_t TForm1::blockCount() const {
    return static_cast<uint8_t>(StrToInt(ToStd(cmb_nblocks->currentText())) & 0xFF);
}

std::array<uint8_t, 4> TForm1::passwordBytes() const {
    return {HexPairToByte(ToStd(edt_p1->text())), HexPairToByte(ToStd(edt_p2->text())),
            HexPairToByte(ToStd(edt_p3->text())), HexPairToByte(ToStd(edt_p4->text()))};
}

void TForm1::Button1Click() {
    RequireReadType();
    if (!cb_sendp->isChecked()) {
        RunCommand(
            [this](uint8_t* f) {
                const uint8_t type = readTypeCode();
                return BuildReadTagFrame(f, type, blockCount(), std::nullopt);
            },
            MainWindowLines::ReadTag);
        return;
    }
    RunCommand(
        [this](uint8_t* f) {
            const uint8_t type = readTypeCode();
            const uint8_t blocks = blockCount();
            return BuildReadTagFrame(f, type, blocks, passwordBytes());
        },
        MainWindowLines::ReadTagWithPassword);
}

void TForm1::Button4Click() {
    RequireReadType();
    RunCommand(
        [this](uint8_t* f) {
            const uint8_t type = readTypeCode();
            return BuildOneShotReadFrame(f, type, blockCount());
        },
        MainWindowLines::OneShotRead);
}

void TForm1::Button2Click() { RunCommand(BuildStopReadFrame, MainWindowLines::StopRead); }

void TForm1::Button17Click() {
    RequireReadType();
    RunCommand(
        [this](uint8_t* f) {
            AutoModeSettings s;
            s.enabled = rdb_auto->ItemIndex() == 0;
            s.readType = readTypeCode();
            s.blocks = blockCount();
            s.sendPassword = cb_sendp->isChecked();
            s.password = passwordBytes();
            return BuildSetAutoModeFrame(f, s);
        },
        MainWindowLines::SetAutoMode);
}

void TForm1::cb_sendpClick() {
    // Enabling first: the fields follow the box even when the write is refused.
    for (QLineEdit* e : {edt_p1, edt_p2, edt_p3, edt_p4}) e->setEnabled(cb_sendp->isChecked());
    writeLast("cb_sendp", BoolToStr(cb_sendp->isChecked()));
}

void TForm1::rdb_readClick() { writeLast("rdb_read", std::to_string(rdb_read->ItemIndex())); }

void TForm1::rdb_autoClick() { writeLast("rdb_auto", std::to_string(rdb_auto->ItemIndex())); }

void TForm1::cmb_nblocksChange() {
    writeLast("cmb_nblocks", std::to_string(ItemIndex(cmb_nblocks)));
}
