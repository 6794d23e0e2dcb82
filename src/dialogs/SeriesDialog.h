// "Program a Series": EM4100 IDs written onto one tag after another, each
// read back, with a record file written as it goes.
//
// The IDs come from a first ID and a count (the card number counts up within
// the facility) or from a text/CSV file; a bad entry refuses the series before
// it starts. For each tag the dialog asks the operator to place it, then on
// Write Tag reads the tag first (a tag this series already wrote is not
// overwritten without asking), writes and reads it back. A tag that fails
// (removed mid-write, refused, not read back or different) is recorded and the
// series waits: Retry or Skip. Stop ends the series at any time between tags.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/Block0.h"
#include "dialogs/DialogForm.h"
#include "module/Em4100.h"
#include "module/SeriesRecord.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class SeriesDialog : public TDialogForm {
    Q_OBJECT
public:
    explicit SeriesDialog(QWidget* parent = nullptr);

    QRadioButton* rdb_series_range;
    QRadioButton* rdb_series_file;
    QLineEdit* edt_series_start;
    QLineEdit* edt_series_count;
    QLineEdit* edt_series_file;
    QPushButton* btn_series_file;
    QLineEdit* edt_series_record;
    QPushButton* btn_series_record;
    QPushButton* btn_series_start;
    QLabel* lbl_series_prompt;
    QPushButton* btn_series_write;
    QPushButton* btn_series_skip;
    QPushButton* btn_series_stop;
    QProgressBar* prg_series;
    QLabel* lbl_series_outcome;

    // Handlers
    void btn_series_startClick();
    void btn_series_writeClick();
    void btn_series_skipClick();
    void btn_series_stopClick();
    void btn_series_fileClick();
    void btn_series_recordClick();

    bool Running() const { return running_; }
    // Position of the tag to place next (0-based) and the series' IDs.
    size_t Current() const { return current_; }
    const std::vector<Em4100Id>& Ids() const { return ids_; }
    // Milliseconds since the epoch for the record's times; tests fix it.
    void SetClock(std::function<int64_t()> clock) { clock_ = std::move(clock); }

private:
    void record(const Em4100Id& id, const std::string& outcome,
                const std::vector<std::string>& blocks);
    void next();
    void finish(const std::string& why);
    void showState();
    std::string defaultRecordPath() const;

    std::vector<Em4100Id> ids_;
    size_t current_ = 0;
    bool running_ = false;
    bool retrying_ = false;
    TagType type_ = TagType::T5557;
    std::map<Em4100Id, size_t> written_;  // ID -> its tag number in this series
    size_t verified_ = 0, skipped_ = 0;
    SeriesRecord record_;
    std::function<int64_t()> clock_;
};
