#include "LapInputsDialog.h"

#include "Messages.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TLapInputsDialog::TLapInputsDialog(QWidget* parent, TApply apply)
    : QDialog(parent), FApply(std::move(apply)) {
    setObjectName(QStringLiteral("LapInputs"));
    setWindowTitle(Msg::LapInputsCaption());
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    FSections = new QVBoxLayout;
    layout->addLayout(FSections);

    auto* keys = new QWidget;
    auto* grid = new QGridLayout(keys);
    grid->setContentsMargins(0, 0, 0, 0);
    for (size_t i = 0; i < FEdits.size(); ++i) {
        auto* edit = new QKeySequenceEdit(keys);
        edit->setObjectName(QLatin1String(GlobalKeys::kNames[i]));
        // One key, caught as it is pressed: a second within the edit's pause
        // would make a sequence, which no grab can be.
        connect(edit, &QKeySequenceEdit::keySequenceChanged, edit, [edit](const QKeySequence& seq) {
            if (seq.count() > 1) edit->setKeySequence(QKeySequence(seq[0]));
        });
        auto* label = new QLabel(Msg::GlobalKeyLabel().arg(Msg::LapPlain[i]()), keys);
        label->setBuddy(edit);
        auto* clear = new QPushButton(Msg::GlobalKeyClear(), keys);
        clear->setAutoDefault(false);
        connect(clear, &QPushButton::clicked, edit, &QKeySequenceEdit::clear);
        const int row = static_cast<int>(i);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(clear, row, 2);
        FEdits[i] = edit;
        FClears[i] = clear;
    }
    AddSection(Msg::GlobalKeysTitle(), keys);

    auto* buttons = new QDialogButtonBox(this);
    FApplyButton = buttons->addButton(Msg::LapInputsApply(), QDialogButtonBox::ApplyRole);
    QPushButton* close = buttons->addButton(Msg::LapInputsClose(), QDialogButtonBox::RejectRole);
    FApplyButton->setAutoDefault(false);
    close->setAutoDefault(false);
    connect(FApplyButton, &QPushButton::clicked, this, [this] {
        if (FApply) FApply(Keys());
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TLapInputsDialog::SetKeys(const GlobalKeys::TTexts& keys) {
    for (size_t i = 0; i < FEdits.size(); ++i)
        FEdits[i]->setKeySequence(QKeySequence::fromString(keys[i], QKeySequence::PortableText));
}

GlobalKeys::TTexts TLapInputsDialog::Keys() const {
    GlobalKeys::TTexts out;
    for (size_t i = 0; i < FEdits.size(); ++i) {
        const QKeySequence seq = FEdits[i]->keySequence();
        if (!seq.isEmpty()) out[i] = QKeySequence(seq[0]).toString(QKeySequence::PortableText);
    }
    return out;
}

void TLapInputsDialog::AddSection(const QString& title, QWidget* content) {
    auto* box = new QGroupBox(title, this);
    auto* inner = new QVBoxLayout(box);
    inner->addWidget(content);
    FSections->addWidget(box);
}
