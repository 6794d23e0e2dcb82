#include "console/TagsView.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "console/HandlerGuard.h"
#include "console/LogText.h"
#include "console/MessageBoxes.h"
#include "console/Widgets.h"
#include "settings/SettingsFile.h"

namespace {

// "HH:MM:SS": the milliseconds of the log's stamps are of no use here.
std::string shownTime(int64_t msecsSinceEpoch) { return ClockStamp(msecsSinceEpoch).substr(0, 8); }

}  // namespace

// The tag table as Qt's views see it. Rows are announced as they come and go
// when Sync() runs, by the numbers the table gives its rows.
class TagTableModel : public QAbstractTableModel {
public:
    TagTableModel(const TagTable& table, QObject* parent)
        : QAbstractTableModel(parent), table_(table) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(shownCount_);
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(TagTable::ColumnNames().size());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return FromStd(TagTable::ColumnNames()[static_cast<size_t>(section)]);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::TextAlignmentRole && index.column() == TagTable::Count)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        const uint64_t number = shownFirst_ + static_cast<uint64_t>(index.row());
        // A row pushed out since the last Sync() shows empty until then.
        if (number < table_.FirstRowNumber() || number >= table_.EndRowNumber()) return {};
        const auto texts =
            table_.RowTexts(static_cast<size_t>(number - table_.FirstRowNumber()), shownTime);
        return FromStd(texts[static_cast<size_t>(index.column())]);
    }

    void Sync() {
        const uint64_t first = table_.FirstRowNumber(), end = table_.EndRowNumber();
        const uint64_t shownEnd = shownFirst_ + shownCount_;
        const uint64_t gone = std::min(shownEnd, std::max(first, shownFirst_)) - shownFirst_;
        if (gone > 0) {
            beginRemoveRows({}, 0, static_cast<int>(gone - 1));
            shownFirst_ += gone;
            shownCount_ -= gone;
            endRemoveRows();
        }
        // Rows that came and went between two syncs were never shown.
        if (shownFirst_ < first) shownFirst_ = first;
        const uint64_t added = end - (shownFirst_ + shownCount_);
        if (added > 0) {
            beginInsertRows({}, static_cast<int>(shownCount_),
                            static_cast<int>(shownCount_ + added - 1));
            shownCount_ += added;
            endInsertRows();
        }
        // Counts and times of rows already shown.
        if (shownCount_ > 0)
            emit dataChanged(index(0, 0),
                             index(static_cast<int>(shownCount_ - 1), columnCount({}) - 1));
    }

private:
    const TagTable& table_;
    uint64_t shownFirst_ = 0;
    uint64_t shownCount_ = 0;
};

TagsView::TagsView(QWidget* parent)
    : QWidget(parent), clock_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    setObjectName("TagsView1");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 4, 0, 0);
    tbl_tags = new QTableView(this);
    tbl_tags->setObjectName("tbl_tags");
    tbl_tags->setAccessibleName("Tags seen");
    model_ = new TagTableModel(watch_.Table(), this);
    tbl_tags->setModel(model_);
    tbl_tags->setSelectionBehavior(QAbstractItemView::SelectRows);
    tbl_tags->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tbl_tags->verticalHeader()->hide();
    tbl_tags->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tbl_tags->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(tbl_tags);

    auto* buttons = new QHBoxLayout;
    btn_tags_clear = MakeButton(this, "btn_tags_clear", "Clear");
    btn_tags_export = MakeButton(this, "btn_tags_export", "Export CSV...");
    buttons->addWidget(btn_tags_clear);
    buttons->addWidget(btn_tags_export);
    buttons->addStretch();
    column->addLayout(buttons);
    connect(btn_tags_clear, &QPushButton::clicked, this,
            GuardedSlot([this] { btn_tags_clearClick(); }));
    connect(btn_tags_export, &QPushButton::clicked, this,
            GuardedSlot([this] { btn_tags_exportClick(); }));

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(kRefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, [this] { refreshOrCount(); });
}

void TagsView::FrameSent(const uint8_t* frame, int size) {
    watch_.FrameSent(frame, static_cast<size_t>(size));
}

void TagsView::FrameReceived(const uint8_t* frame, int size) {
    if (watch_.FrameReceived(frame, static_cast<size_t>(size), clock_())) scheduleRefresh();
}

void TagsView::scheduleRefresh() {
    if (!refreshTimer_->isActive()) refreshTimer_->start();
}

void TagsView::Refresh() {
    refreshTimer_->stop();
    behind_ = false;
    model_->Sync();
    reportRowCount(model_->rowCount({}));
}

void TagsView::refreshOrCount() {
    if (tbl_tags->isVisible()) {
        Refresh();
        return;
    }
    behind_ = true;
    reportRowCount(static_cast<int>(watch_.Table().Size()));
}

void TagsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (behind_) Refresh();
}

void TagsView::reportRowCount(int rows) {
    if (rows == reportedRows_) return;
    reportedRows_ = rows;
    if (OnRowCountChanged) OnRowCountChanged(rows);
}

void TagsView::btn_tags_clearClick() {
    watch_.Table().Clear();
    Refresh();
}

void TagsView::btn_tags_exportClick() {
    CreateSettingsFolder();
    const QString folder = FromStd(SettingsFolder());
    const QString path = QFileDialog::getSaveFileName(this, "Export Tags", folder + "tags.csv",
                                                      "CSV files (*.csv);;All files (*)");
    if (path.isEmpty()) return;
    const std::string error = ExportCsv(ToStd(path));
    if (!error.empty()) Messages().error("Could not write " + ToStd(path) + ": " + error);
}

std::string TagsView::ExportCsv(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return std::strerror(errno);
    out << watch_.Table().Csv(IsoStamp);
    out.close();
    if (!out) return std::strerror(errno ? errno : EIO);
    return {};
}
