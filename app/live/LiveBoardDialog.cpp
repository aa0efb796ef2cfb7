#include "LiveBoardDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <qrencode.h>

namespace {
QString Tr(const char* text) {
    return QCoreApplication::translate("Board", text);
}
} // namespace

QImage QrImage(const QString& text, int scale) {
    const QByteArray utf8 = text.toUtf8();
    QRcode* code = QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code) return {};
    constexpr int quiet = 4; // modules of white round the code, as readers expect
    const int n = code->width;
    QImage img((n + 2 * quiet) * scale, (n + 2 * quiet) * scale, QImage::Format_Mono);
    img.fill(1);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (code->data[y * n + x] & 1)
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx)
                        img.setPixel((x + quiet) * scale + dx, (y + quiet) * scale + dy, 0);
    QRcode_free(code);
    return img;
}

TLiveBoardDialog::TLiveBoardDialog(TLiveBoard& board, QWidget* parent)
    : QDialog(parent), FBoard(board) {
    setObjectName(QStringLiteral("LiveBoardDialog"));
    setWindowTitle(Tr("Live board"));
    auto* layout = new QVBoxLayout(this);
    FOn = new QCheckBox(Tr("Serve the live board"), this);
    FOn->setObjectName(QStringLiteral("LiveBoardOn"));
    layout->addWidget(FOn);
    auto* form = new QFormLayout;
    FPort = new QSpinBox(this);
    FPort->setObjectName(QStringLiteral("LiveBoardPort"));
    FPort->setRange(1024, 65535);
    form->addRow(Tr("Port:"), FPort);
    FLocal = new QRadioButton(Tr("This computer only"), this);
    FLocal->setObjectName(QStringLiteral("LiveBoardLocal"));
    FLan = new QRadioButton(Tr("The local network"), this);
    FLan->setObjectName(QStringLiteral("LiveBoardLan"));
    auto* where = new QVBoxLayout;
    where->addWidget(FLocal);
    where->addWidget(FLan);
    form->addRow(Tr("Viewers on:"), where);
    layout->addLayout(form);
    FRemote = new QCheckBox(Tr("Phones may press LAP, LAP2 and LAP3"), this);
    FRemote->setObjectName(QStringLiteral("LiveBoardRemote"));
    layout->addWidget(FRemote);
    FLapCode = new QLabel(this);
    FLapCode->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(FLapCode);
    FAddress = new QLabel(this);
    FAddress->setObjectName(QStringLiteral("LiveBoardAddress"));
    FAddress->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FAddress->setWordWrap(true);
    layout->addWidget(FAddress);
    FQr = new QLabel(this);
    FQr->setObjectName(QStringLiteral("LiveBoardQr"));
    FQr->setAlignment(Qt::AlignCenter);
    layout->addWidget(FQr);
    FQrLap = new QCheckBox(Tr("The QR code also carries the lap code"), this);
    FQrLap->setObjectName(QStringLiteral("LiveBoardQrLap"));
    layout->addWidget(FQrLap);
    FState = new QLabel(this);
    FState->setObjectName(QStringLiteral("LiveBoardState"));
    layout->addWidget(FState);
    auto* buttons = new QHBoxLayout;
    auto* renew = new QPushButton(Tr("New access codes"), this);
    renew->setObjectName(QStringLiteral("LiveBoardRenew"));
    auto* close = new QPushButton(Tr("Close"), this);
    buttons->addWidget(renew);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    for (QCheckBox* b : {FOn, FRemote})
        connect(b, &QCheckBox::toggled, this, &TLiveBoardDialog::apply);
    connect(FLan, &QRadioButton::toggled, this, &TLiveBoardDialog::apply);
    connect(FPort, &QSpinBox::editingFinished, this, &TLiveBoardDialog::apply);
    connect(FQrLap, &QCheckBox::toggled, this, &TLiveBoardDialog::refresh);
    connect(renew, &QPushButton::clicked, this, [this] {
        // Everyone who has the old codes is out once the board reopens.
        TLiveBoardSettings s = FBoard.Settings();
        s.Code = TBoardAccess::NewCode();
        s.LapCode = TBoardAccess::NewCode();
        FBoard.Apply(s);
        refresh();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(&FBoard, &TLiveBoard::Changed, this, &TLiveBoardDialog::refresh);
    refresh();
}

void TLiveBoardDialog::apply() {
    if (FRefreshing) return;
    TLiveBoardSettings s = FBoard.Settings();
    s.Enabled = FOn->isChecked();
    s.Port = uint16_t(FPort->value());
    s.Network = FLan->isChecked() ? TBoardNetwork::Lan : TBoardNetwork::Local;
    s.RemoteLaps = FRemote->isChecked();
    if (s == FBoard.Settings()) return;
    FBoard.Apply(s);
    refresh();
}

void TLiveBoardDialog::refresh() {
    FRefreshing = true;
    const TLiveBoardSettings& s = FBoard.Settings();
    FOn->setChecked(s.Enabled);
    if (!FPort->hasFocus()) FPort->setValue(s.Port);
    FLocal->setChecked(s.Network == TBoardNetwork::Local);
    FLan->setChecked(s.Network == TBoardNetwork::Lan);
    FRemote->setChecked(s.RemoteLaps);
    FQrLap->setVisible(s.RemoteLaps);
    FLapCode->setVisible(s.RemoteLaps);
    FLapCode->setText(Tr("Lap code, for the address: lap=%1").arg(QString::fromLatin1(s.LapCode)));
    FRefreshing = false;
    const QString share = FBoard.ShareAddress(FQrLap->isChecked());
    // On the network the address to type carries the access code, as the
    // QR code does: without it a browser is shown nothing.
    QStringList typed = FBoard.Addresses();
    if (s.Network == TBoardNetwork::Lan)
        for (QString& a : typed)
            a += QStringLiteral("?code=") + QString::fromLatin1(s.Code);
    FAddress->setText(Tr("Open %1 in a browser, or scan:").arg(typed.join(u", ")));
    const QImage qr = QrImage(share, 4);
    FQr->setPixmap(s.Enabled && !qr.isNull() ? QPixmap::fromImage(qr) : QPixmap());
    FQr->setToolTip(share);
    FQr->setAccessibleName(Tr("QR code of the board's address"));
    if (!s.Enabled)
        FState->setText(Tr("The board is off."));
    else if (FBoard.Serving())
        FState->setText((FBoard.Viewers() == 1
                             ? Tr("Serving on port %1: 1 viewer connected.")
                             : Tr("Serving on port %1: %2 viewers connected.")
                                   .arg(QStringLiteral("%1"), QString::number(FBoard.Viewers())))
                            .arg(FBoard.Port()));
    else if (!FBoard.Problem().isEmpty())
        FState->setText(Tr("Not serving: %1").arg(FBoard.Problem()));
    else
        FState->setText(Tr("Opening…"));
}
