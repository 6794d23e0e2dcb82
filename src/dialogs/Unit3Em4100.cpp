// Tag Programming, grown: an EM4100 ID composed onto a T5557 or Q5, writing
// with a read-back check, and programming a series of tags.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <stdexcept>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/SeriesDialog.h"
#include "dialogs/Unit3.h"
#include "dialogs/WriteVerify.h"
#include "module/Em4100.h"

void TForm3::buildEm4100Row(QBoxLayout* outer) {
    auto* group = new QGroupBox("EM4100 and Verified Writing", this);
    group->setObjectName("grp_em4100");
    auto* grid = new QGridLayout(group);
    edt_em4100 = MakeEdit(group, "edt_em4100");
    edt_em4100->setToolTip(
        "10 hexadecimal digits (1A2B3C4D5E), or facility,card in decimal (060,19806: the first "
        "two ID bytes are then 00)");
    grid->addWidget(MakeLabel(group, "lbl_em4100", "EM4100 ID", edt_em4100), 0, 0);
    grid->addWidget(edt_em4100, 0, 1);
    btn_compose_em4100 = MakeButton(group, "btn_compose_em4100", "Compose EM4100");
    btn_compose_em4100->setToolTip(
        "Sets Manchester RF/64, password protection off and max block 2 (Q5 kept, else T5557), "
        "and puts the ID's EM4100 stream into blocks 1 and 2");
    grid->addWidget(btn_compose_em4100, 0, 2);
    btn_write_verify = MakeButton(group, "btn_write_verify", "Write and Verify");
    btn_write_verify->setToolTip(
        "Writes Block0 and blocks 1 to Max Block, then reads the tag back and compares");
    grid->addWidget(btn_write_verify, 1, 1);
    btn_series = MakeButton(group, "btn_series", "Program a Series...");
    grid->addWidget(btn_series, 1, 2);
    lbl_verify_status = new QLabel(group);
    lbl_verify_status->setObjectName("lbl_verify_status");
    lbl_verify_status->setAccessibleName("Write and Verify outcome");
    lbl_verify_status->setWordWrap(true);
    grid->addWidget(lbl_verify_status, 2, 0, 1, 3);
    outer->addWidget(group);
    Series = new SeriesDialog(this);
}

void TForm3::btn_compose_em4100Click() {
    const Em4100Parse parsed = ParseEm4100Id(ToStd(edt_em4100->text()));
    if (!parsed.id) throw std::runtime_error(parsed.error);
    const std::optional<TagType> type = TagTypeFromText(ToStd(cmb_tag->currentText()));
    if (type == TagType::T5552)
        throw std::runtime_error(
            "A T5552 reads RF/32 only and cannot send an EM4100 ID (RF/64): choose Q5 or T5557.");
    if (type != TagType::Q5) SetItemIndex(cmb_tag, 1);  // T5557
    SetItemIndex(cmb_mod, kModulationRF64);
    SetItemIndex(cmb_pass, 0);  // OFF
    SetItemIndex(cmb_max, 1);   // "2"
    compose_block0();
    const std::array<uint32_t, 2> stream = Em4100Blocks(*parsed.id);
    for (size_t b = 0; b < 2; ++b) {
        const std::array<std::string, 4> fields = Block0Fields(stream[b]);
        for (int k = 0; k < 4; ++k) {
            const int i = 4 * (static_cast<int>(b) + 1) + k + 1;
            hex[i]->setText(FromStd(fields[static_cast<size_t>(k)]));
            hex_to_asc(i);
        }
    }
    lbl_verify_status->setText(
        FromStd("Composed EM4100 " + Em4100Hex(*parsed.id) + " (" + Em4100Decimal(*parsed.id) +
                ", " + Em4100FacilityCard(*parsed.id) + ") into Block0 and blocks 1 and 2."));
}

TagWriteJob TForm3::write_job() const {
    const Block0Choice choice = block0Choice();
    const std::optional<uint32_t> word = Block0Word(choice);
    if (!word)
        throw std::runtime_error(
            "Block 0 is not composed: choose Transponder Type, Modulation and Max Block first.");
    TagWriteJob job;
    for (int n = 0; n <= *choice.maxBlock; ++n) {
        std::array<std::string, 4> texts;
        for (int k = 0; k < 4; ++k)
            texts[static_cast<size_t>(k)] = ToStd(hex[static_cast<size_t>(4 * n + k + 1)]->text());
        const FourBytes bytes = FieldBytes(texts);
        job.blocks.push_back(uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 |
                             uint32_t{bytes[2]} << 8 | bytes[3]);
        job.blockTexts.push_back(texts);
    }
    if (cb_pass->isChecked()) {
        job.passwordTexts = {ToStd(Edit9->text()), ToStd(Edit10->text()), ToStd(Edit11->text()),
                             ToStd(Edit12->text())};
        job.password = FieldBytes(job.passwordTexts);
    }
    const bool t5552 = choice.type == TagType::T5552;
    job.protectionOn = choice.passwordProtection && !t5552;
    const bool rf64 = !t5552 && choice.modulation == kModulationRF64;
    job.byteTrackReadType = rf64 ? 1 : 4;
    // An EM4100 emulation is checked by its ID, whatever rotation the blocks hold.
    if (rf64 && !job.protectionOn && *choice.maxBlock == 2) {
        const Em4100Check check = CheckEm4100Stream(StreamOfBlocks(job.blocks[1], job.blocks[2]));
        if (check.id) job.em4100 = check.id;
    }
    return job;
}

void TForm3::btn_write_verifyClick() {
    const TagWriteJob job = write_job();
    if (!confirm_password_protection()) return;
    lbl_verify_status->setText("Writing...");
    lbl_verify_status->repaint();
    const TagWriteOutcome outcome = WriteAndVerify(job);
    lbl_verify_status->setText(FromStd(outcome.text));
}

void TForm3::btn_seriesClick() { ShowDialog(Series); }
