#pragma once
#include "LiveBoard.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;

// The board's on/off, where it listens, the addresses to type and scan, and
// the viewers connected. Every change takes effect at once; nothing here
// waits for the server.
class TLiveBoardDialog : public QDialog {
    Q_OBJECT
public:
    TLiveBoardDialog(TLiveBoard& board, QWidget* parent = nullptr);

private:
    void apply();
    void refresh();
    TLiveBoard& FBoard;
    QCheckBox* FOn;
    QSpinBox* FPort;
    QRadioButton* FLocal;
    QRadioButton* FLan;
    QCheckBox* FRemote;
    QCheckBox* FQrLap;
    QLabel* FAddress;
    QLabel* FQr;
    QLabel* FState;
    QLabel* FLapCode;
    bool FRefreshing = false;
};

// The QR code of `text`, `scale` pixels a module with the quiet zone round
// it; a null image when the text does not fit one.
class QImage QrImage(const QString& text, int scale);
