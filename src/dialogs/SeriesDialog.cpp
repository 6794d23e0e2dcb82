#include "dialogs/SeriesDialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "console/CommandExchange.h"
#include "console/HandlerGuard.h"
#include "console/LogText.h"
#include "console/MessageBoxes.h"
#include "console/Widgets.h"
#include "dialogs/TagExchanges.h"
#include "dialogs/Unit3.h"
#include "dialogs/WriteVerify.h"
#include "link/CommandTable.h"
#include "module/IdSeries.h"
#include "module/TagDecoder.h"
#include "settings/SettingsFile.h"

namespace {

const char kCaption[] = "Program a Series";

std::string forms(const Em4100Id& id) {
    return Em4100Hex(id) + " (" + Em4100FacilityCard(id) + ")";
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("Could not read " + path + ": " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

SeriesDialog::SeriesDialog(QWidget* parent)
    : TDialogForm(parent), clock_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    setObjectName("SeriesDialog");
    setWindowTitle(kCaption);
    auto* outer = new QVBoxLayout(this);

    auto* source = new QGroupBox("IDs", this);
    source->setObjectName("grp_series_ids");
    auto* grid = new QGridLayout(source);
    rdb_series_range = new QRadioButton("First ID and count", source);
    rdb_series_range->setObjectName("rdb_series_range");
    rdb_series_range->setChecked(true);
    grid->addWidget(rdb_series_range, 0, 0, 1, 3);
    edt_series_start = MakeEdit(source, "edt_series_start");
    edt_series_start->setToolTip("10 hexadecimal digits, or facility,card in decimal");
    grid->addWidget(MakeLabel(source, "lbl_series_start", "First ID", edt_series_start), 1, 0);
    grid->addWidget(edt_series_start, 1, 1);
    edt_series_count = MakeEdit(source, "edt_series_count", "1");
    InstallKeyFilter(edt_series_count, DecimalKeyFilter(5));
    grid->addWidget(MakeLabel(source, "lbl_series_count", "Count", edt_series_count), 1, 2);
    grid->addWidget(edt_series_count, 1, 3);
    rdb_series_file = new QRadioButton("IDs from a file (one per line, or CSV)", source);
    rdb_series_file->setObjectName("rdb_series_file");
    grid->addWidget(rdb_series_file, 2, 0, 1, 3);
    edt_series_file = MakeEdit(source, "edt_series_file");
    grid->addWidget(MakeLabel(source, "lbl_series_file", "ID file", edt_series_file), 3, 0);
    grid->addWidget(edt_series_file, 3, 1, 1, 2);
    btn_series_file = MakeButton(source, "btn_series_file", "Browse...");
    grid->addWidget(btn_series_file, 3, 3);
    outer->addWidget(source);

    auto* recordRow = new QGridLayout;
    edt_series_record = MakeEdit(this, "edt_series_record");
    recordRow->addWidget(MakeLabel(this, "lbl_series_record", "Record file", edt_series_record), 0,
                         0);
    recordRow->addWidget(edt_series_record, 0, 1);
    btn_series_record = MakeButton(this, "btn_series_record", "Browse...");
    recordRow->addWidget(btn_series_record, 0, 2);
    outer->addLayout(recordRow);

    btn_series_start = MakeButton(this, "btn_series_start", "Start");
    outer->addWidget(btn_series_start);
    lbl_series_prompt = new QLabel(this);
    lbl_series_prompt->setObjectName("lbl_series_prompt");
    lbl_series_prompt->setAccessibleName("Series prompt");
    QFont big = lbl_series_prompt->font();
    big.setBold(true);
    lbl_series_prompt->setFont(big);
    outer->addWidget(lbl_series_prompt);
    auto* buttons = new QGridLayout;
    btn_series_write = MakeButton(this, "btn_series_write", "Write Tag");
    btn_series_skip = MakeButton(this, "btn_series_skip", "Skip");
    btn_series_stop = MakeButton(this, "btn_series_stop", "Stop");
    buttons->addWidget(btn_series_write, 0, 0);
    buttons->addWidget(btn_series_skip, 0, 1);
    buttons->addWidget(btn_series_stop, 0, 2);
    outer->addLayout(buttons);
    prg_series = new QProgressBar(this);
    prg_series->setObjectName("prg_series");
    prg_series->setAccessibleName("Series progress");
    prg_series->setFormat("%v of %m");
    outer->addWidget(prg_series);
    lbl_series_outcome = new QLabel(this);
    lbl_series_outcome->setObjectName("lbl_series_outcome");
    lbl_series_outcome->setAccessibleName("Last outcome");
    lbl_series_outcome->setWordWrap(true);
    lbl_series_outcome->setMinimumHeight(3 * lbl_series_outcome->fontMetrics().lineSpacing());
    lbl_series_outcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    outer->addWidget(lbl_series_outcome);
    setMinimumWidth(440);

    const std::pair<QPushButton*, void (SeriesDialog::*)()> clicks[] = {
        {btn_series_start, &SeriesDialog::btn_series_startClick},
        {btn_series_write, &SeriesDialog::btn_series_writeClick},
        {btn_series_skip, &SeriesDialog::btn_series_skipClick},
        {btn_series_stop, &SeriesDialog::btn_series_stopClick},
        {btn_series_file, &SeriesDialog::btn_series_fileClick},
        {btn_series_record, &SeriesDialog::btn_series_recordClick}};
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this,
                GuardedSlot([this, handler = handler] { (this->*handler)(); }));
    lbl_series_prompt->setText("Choose the IDs, then press Start.");
    showState();
}

std::string SeriesDialog::defaultRecordPath() const {
    CreateSettingsFolder();
    return SettingsFolder() + ToStd(QDateTime::fromMSecsSinceEpoch(clock_()).toString(
                                  "'series-'yyyyMMdd-HHmmss'.csv'"));
}

void SeriesDialog::showState() {
    edt_series_start->setEnabled(!running_);
    edt_series_count->setEnabled(!running_);
    edt_series_file->setEnabled(!running_);
    btn_series_file->setEnabled(!running_);
    edt_series_record->setEnabled(!running_);
    btn_series_record->setEnabled(!running_);
    rdb_series_range->setEnabled(!running_);
    rdb_series_file->setEnabled(!running_);
    btn_series_start->setEnabled(!running_);
    btn_series_write->setEnabled(running_);
    btn_series_skip->setEnabled(running_);
    btn_series_stop->setEnabled(running_);
    btn_series_write->setText(retrying_ ? "Retry" : "Write Tag");
    prg_series->setMaximum(static_cast<int>(std::max<size_t>(ids_.size(), 1)));
    prg_series->setValue(static_cast<int>(current_));
    if (running_)
        lbl_series_prompt->setText(FromStd("Place tag " + std::to_string(current_ + 1) + " of " +
                                           std::to_string(ids_.size()) + ": " +
                                           forms(ids_[current_])));
}

void SeriesDialog::btn_series_startClick() {
    if (running_) return;
    // The tag type of Tag Programming: a Q5 stays a Q5, anything else is written as a T5557.
    TagType type = TagType::T5557;
    if (const auto chosen = TagTypeFromText(ToStd(Form3->cmb_tag->currentText()))) type = *chosen;
    if (type == TagType::T5552)
        throw std::runtime_error(
            "A T5552 reads RF/32 only and cannot send an EM4100 ID (RF/64): choose Q5 or T5557 "
            "in Tag Programming.");
    // Every ID is checked before the first tag is touched.
    const IdSeries series =
        rdb_series_file->isChecked()
            ? SeriesFromText(readWholeFile(ToStd(edt_series_file->text())))
            : SeriesFromStart(ToStd(edt_series_start->text()), ToStd(edt_series_count->text()));
    if (!series.error.empty()) throw std::runtime_error(series.error);
    if (edt_series_record->text().trimmed().isEmpty())
        edt_series_record->setText(FromStd(defaultRecordPath()));
    const std::string path = ToStd(edt_series_record->text());
    const std::string error = record_.Open(path);
    if (!error.empty())
        throw std::runtime_error("Could not open the record " + path + ": " + error);

    type_ = type == TagType::Q5 ? TagType::Q5 : TagType::T5557;
    ids_ = series.ids;
    current_ = 0;
    verified_ = skipped_ = 0;
    written_.clear();
    retrying_ = false;
    running_ = true;
    LogLine("Series > " + std::to_string(ids_.size()) + " " +
            (type_ == TagType::Q5 ? "Q5" : "T5557") + " tags from " + forms(ids_.front()) +
            ", recorded in " + path);
    lbl_series_outcome->clear();
    showState();
}

void SeriesDialog::record(const Em4100Id& id, const std::string& outcome,
                          const std::vector<std::string>& blocks) {
    const std::string error = record_.Append(IsoStamp(clock_()), Em4100Hex(id), outcome, blocks);
    if (error.empty()) return;
    // Without its record a series would leave tags nobody can account for.
    finish("the record could not be written: " + error);
    throw std::runtime_error("The series stopped: the record could not be written: " + error);
}

void SeriesDialog::btn_series_writeClick() {
    if (!running_) return;
    const Em4100Id id = ids_[current_];
    // Read first: a tag this series already wrote is kept unless the operator says otherwise.
    if (const auto seen = ReadTagOnce(ReadTypes::Em4100Decoded, 1)) {
        const DecodedTag tag =
            DecodeTagData(ReadTypes::Em4100Decoded, 1, seen->data(), seen->size());
        const auto earlier = tag.form == TagForm::Em4100 ? written_.find(tag.id) : written_.end();
        if (earlier != written_.end() &&
            !Messages().question("This tag already holds " + forms(tag.id) + ", written as tag " +
                                     std::to_string(earlier->second) +
                                     " of this series. Overwrite it with " + forms(id) + "?",
                                 kCaption)) {
            lbl_series_outcome->setText(FromStd("Tag " + std::to_string(earlier->second) +
                                                " kept as it was. Place a blank tag."));
            return;
        }
    }
    TagWriteOutcome outcome;
    try {
        outcome = WriteAndVerify(Em4100WriteJob(id, type_));
    } catch (const std::exception& e) {
        // A port error ends the attempt; the record still tells of it.
        record(id, std::string("failed: ") + e.what(), {});
        retrying_ = true;
        showState();
        throw;
    }
    record(id, outcome.recordText, outcome.blocksWritten);
    const std::string number = "Tag " + std::to_string(current_ + 1) + ": ";
    if (outcome.kind != TagWriteOutcome::Verified) {
        retrying_ = true;
        lbl_series_outcome->setText(
            FromStd(number + outcome.text + ". Place it again and press Retry, or Skip."));
        showState();
        return;
    }
    written_[id] = current_ + 1;
    ++verified_;
    lbl_series_outcome->setText(FromStd(number + outcome.text));
    next();
}

void SeriesDialog::btn_series_skipClick() {
    if (!running_) return;
    record(ids_[current_], "skipped", {});
    ++skipped_;
    lbl_series_outcome->setText(FromStd("Tag " + std::to_string(current_ + 1) + " skipped."));
    next();
}

void SeriesDialog::btn_series_stopClick() {
    if (!running_) return;
    finish("stopped at tag " + std::to_string(current_ + 1) + " of " + std::to_string(ids_.size()));
}

void SeriesDialog::next() {
    retrying_ = false;
    if (++current_ < ids_.size()) return showState();
    finish("done");
}

void SeriesDialog::finish(const std::string& why) {
    running_ = false;
    retrying_ = false;
    record_.Close();
    const std::string summary = "Series " + why + ": " + std::to_string(verified_) + " verified, " +
                                std::to_string(skipped_) + " skipped.";
    lbl_series_prompt->setText(FromStd(summary));
    LogLine("Series > " + summary);
    showState();
}

void SeriesDialog::btn_series_fileClick() {
    const QString path = QFileDialog::getOpenFileName(this, "IDs to Write", edt_series_file->text(),
                                                      "ID lists (*.txt *.csv);;All files (*)");
    if (path.isEmpty()) return;
    edt_series_file->setText(path);
    rdb_series_file->setChecked(true);
}

void SeriesDialog::btn_series_recordClick() {
    const QString current = edt_series_record->text();
    const QString path = QFileDialog::getSaveFileName(
        this, "Record the Series in", current.isEmpty() ? FromStd(defaultRecordPath()) : current,
        "CSV files (*.csv);;All files (*)", nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty()) edt_series_record->setText(path);
}
