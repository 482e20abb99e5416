#pragma once

#include <QString>
#include <string>

#include "library/snmp/CvSNMPRequest2Controls.h"

// A bound request whose table walk lists only the used rows of a fixed-size table: a row whose
// key column holds the placeholder ("0.0.0.0", "000000000000", "0") is a free row and is left
// out. Each listed row is captioned with a running number; selecting it still loads its own
// table row and instance.
class New_req2Edit : public CvSNMPRequest2Edits {
    Q_OBJECT
  public:
    explicit New_req2Edit(QWidget* owner);

    std::string PlaceHolder = "0";  // the key column's value of a free row
    int KeyColumn = 1;              // item index (0-based) of the key column
    int RowCounter = 1;             // caption of the next listed row; pages reset it to 1

  protected:
    bool AcceptRow(const CvSNMPRow& row, int tableRow) override;
    void BuildListRow(const CvSNMPRow& row, int tableRow, QString& caption,
                      QStringList& subItems) override;
};
