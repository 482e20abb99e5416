#include "app/Newrequest.h"

New_req2Edit::New_req2Edit(QWidget* owner) : CvSNMPRequest2Edits(owner) {}

bool New_req2Edit::AcceptRow(const CvSNMPRow& row, int /*tableRow*/) {
    // A row too short to hold the key column cannot be told from a free one: leave it out.
    if (KeyColumn < 0 || KeyColumn >= static_cast<int>(row.values.size())) return false;
    return row.values[KeyColumn] != PlaceHolder;
}

void New_req2Edit::BuildListRow(const CvSNMPRow& row, int tableRow, QString& caption,
                                QStringList& subItems) {
    CvSNMPRequest2Edits::BuildListRow(row, tableRow, caption, subItems);
    caption = QString::number(RowCounter++);
}
