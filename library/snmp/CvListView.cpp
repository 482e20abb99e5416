#include "library/snmp/CvListView.h"

#include <QHeaderView>

CvListView::CvListView(QWidget* parent) : QTableWidget(parent) {
    MakeReport();
    connect(this, &QTableWidget::itemSelectionChanged, this, &CvListView::onSelectionChanged);
}

void CvListView::MakeReport() {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    verticalHeader()->hide();
    // Report rows one text line high, titles flush left, as a report-style list shows them.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setWordWrap(false);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setStretchLastSection(false);
}

void CvListView::AddColumn(const QString& title, int width) {
    int column = columnCount();
    setColumnCount(column + 1);
    setHorizontalHeaderItem(column, new QTableWidgetItem(title));
    setColumnWidth(column, width);
}

QString CvListView::ColumnTitle(int column) const {
    QTableWidgetItem* header = horizontalHeaderItem(column);
    return header ? header->text() : QString();
}

int CvListView::AddRow(const QString& caption, const QStringList& subItems, int tag) {
    int row = rowCount();
    insertRow(row);
    if (columnCount() < subItems.size() + 1) setColumnCount(static_cast<int>(subItems.size()) + 1);
    auto* first = new QTableWidgetItem(caption);
    first->setData(Qt::UserRole, tag);
    setItem(row, 0, first);
    for (int i = 0; i < subItems.size(); ++i)
        setItem(row, i + 1, new QTableWidgetItem(subItems[i]));
    showCheckBox(row);
    return row;
}

void CvListView::ClearRows() {
    clearSelection();
    setRowCount(0);
}

QString CvListView::Caption(int row) const {
    const QTableWidgetItem* cell = item(row, 0);
    return cell ? cell->text() : QString();
}

QString CvListView::SubItem(int row, int index) const {
    const QTableWidgetItem* cell = item(row, index + 1);
    return cell ? cell->text() : QString();
}

QStringList CvListView::SubItems(int row) const {
    QStringList texts;
    for (int column = 1; column < columnCount(); ++column) texts << SubItem(row, column - 1);
    return texts;
}

int CvListView::RowTag(int row) const {
    const QTableWidgetItem* cell = item(row, 0);
    return cell ? cell->data(Qt::UserRole).toInt() : -1;
}

void CvListView::SetCheckBoxes(bool on) {
    checkBoxes_ = on;
    for (int row = 0; row < rowCount(); ++row) showCheckBox(row);
}

void CvListView::showCheckBox(int row) {
    QTableWidgetItem* cell = item(row, 0);
    if (!cell) return;
    if (checkBoxes_) {
        cell->setFlags(cell->flags() | Qt::ItemIsUserCheckable);
        if (!cell->data(Qt::CheckStateRole).isValid()) cell->setCheckState(Qt::Unchecked);
    } else {
        cell->setFlags(cell->flags() & ~Qt::ItemIsUserCheckable);
        cell->setData(Qt::CheckStateRole, QVariant());
    }
}

bool CvListView::Checked(int row) const {
    const QTableWidgetItem* cell = item(row, 0);
    return checkBoxes_ && cell && cell->checkState() == Qt::Checked;
}

void CvListView::SetChecked(int row, bool checked) {
    QTableWidgetItem* cell = item(row, 0);
    if (checkBoxes_ && cell) cell->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CvListView::SelectRow(int row) {
    if (row < 0 || row >= rowCount()) {
        clearSelection();
        return;
    }
    setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int CvListView::SelectedRow() const {
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void CvListView::onSelectionChanged() {
    int row = SelectedRow();
    if (row == lastNotified_) return;
    lastNotified_ = row;
    if (row >= 0)
        emit Selected(row);
    else
        emit SelectionCleared();
}
