#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class CvEdit;
class CvStatusBar;
class CvSNMPRequest2Edits;

// Status \ Device Information: what the access point is, read once when the page opens:
// firmware, Ethernet addresses, the wireless MAC addresses derived from the Ethernet one, and
// the primary SSID's settings with its security in one line.
class TFM_DevInfo : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_DevInfo(QWidget* owner = nullptr);
    ~TFM_DevInfo() override;

    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3;
    CvEdit *Ed_Firmware, *Ed_Mac;
    QLabel *LAB_Primary, *Lab_Seccondary1, *Lab_Seccondary7;
    CvEdit *Ed_IPaddr, *Ed_SubMask, *Ed_Gate;
    CvEdit *Ed_SSID, *Ed_Channel, *Ed_DRate, *Ed_Sec;
    QComboBox *CB_Authentication, *CB_Encryption, *CB_CipherType, *CB_KeyIndex, *CB_Band;
    QComboBox* CB_WepKeyEntryMethod[4];
    CvEdit* ED_Key[4];
    CvStatusBar* StatusBar;

    std::unique_ptr<CvSNMPRequest2Edits> reqInterface;
    std::unique_ptr<CvSNMPRequest2Edits> reqFirmware;
    std::unique_ptr<CvSNMPRequest2Edits> reqWireless;
    std::unique_ptr<CvSNMPRequest2Edits> reqKeyIndex;
    std::unique_ptr<CvSNMPRequest2Edits> reqWepKey[4];
    std::unique_ptr<CvSNMPRequest2Edits> reqBand;

    void FormCreate();
    void FormClose();
    // The prefix with the offset added as a hexadecimal number; an overflow is reported in a box
    // and gives "000000000000".
    QString MacAddOffset(const QString& prefix, int offset);
    QString SecurityText(QComboBox* authentication, QComboBox* encryption, QComboBox* entryMethod,
                         QComboBox* cipher, CvEdit* key) const;

    void done(int result) override;

  private:
    void buildControls();
    std::unique_ptr<CvSNMPRequest2Edits> readRequest(const struct CvSNMPVarItem* table);
};

extern TFM_DevInfo* FM_DevInfo;

// MacAddOffset without the box: digits that are no hexadecimal digit count as 0; on an
// overflow of the first digit, overflowed is set and the result is "000000000000".
QString macAddOffset(const QString& prefix, int offset, bool& overflowed);

// The security line for the authentication text, the encryption switch's index (0 "Disable"),
// the key's entry-method index (0 "ascii", 1 "hex"), the cipher text and the key as read.
QString securityText(const QString& authentication, int encryptionIndex, int entryMethodIndex,
                     const QString& cipher, const QString& key);

// The caption of the wireless group for the band combo's index.
QString wirelessGroupCaption(int bandIndex);
