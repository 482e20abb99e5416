#pragma once

#include <QString>
#include <QStringList>
#include <QTableWidget>

// A report-style list view: read-only cells, whole-row selection, grid lines, one caption column
// (column 0) followed by sub-item columns. Columns of width 0 stay hidden from the user.
// Selected(row) is emitted whenever a row becomes selected, by the user or by code.
class CvListView : public QTableWidget {
    Q_OBJECT
  public:
    explicit CvListView(QWidget* parent = nullptr);

    // Read-only, whole-row and single selection, grid lines, no row numbers.
    void MakeReport();

    // Appends a column with its title and width in pixels (0 hides it).
    void AddColumn(const QString& title, int width = 100);
    int ColumnCount() const { return columnCount(); }
    QString ColumnTitle(int column) const;

    // Appends a row; tag is kept with it (the binding stores the table row it came from).
    int AddRow(const QString& caption, const QStringList& subItems, int tag = -1);
    // Removes every row, keeping the columns.
    void ClearRows();
    int RowCount() const { return rowCount(); }

    // Column 0 of a row.
    QString Caption(int row) const;
    // Sub-item i of a row (column i + 1); empty past the last column.
    QString SubItem(int row, int index) const;
    QStringList SubItems(int row) const;
    int RowTag(int row) const;

    // Gives every row, present and added later, a check box in its first column; the user ticks
    // it with the mouse or the space key. Off (the default) removes the boxes.
    void SetCheckBoxes(bool on);
    // The row's check mark; false for a row that does not exist or without check boxes.
    bool Checked(int row) const;
    void SetChecked(int row, bool checked);

    // Selects a row (notifies like a user selection); -1 clears the selection.
    void SelectRow(int row);
    // The selected row, or -1.
    int SelectedRow() const;

  signals:
    void Selected(int row);
    // The selection became empty (the rows were cleared or the selection was removed).
    void SelectionCleared();

  private:
    void onSelectionChanged();
    void showCheckBox(int row);
    int lastNotified_ = -1;
    bool checkBoxes_ = false;
};
