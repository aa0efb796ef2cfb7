#pragma once
#include "GlobalKeys.h"

#include <QDialog>

#include <array>
#include <functional>

class QKeySequenceEdit;
class QPushButton;
class QVBoxLayout;

// "Lap inputs…": the inputs from outside the window that press the lap
// buttons, a section each. Not modal: the run's window keeps its keys while
// this is open. Nothing is kept until Apply.
class TLapInputsDialog : public QDialog {
    Q_OBJECT
public:
    using TApply = std::function<void(const GlobalKeys::TTexts&)>;
    TLapInputsDialog(QWidget* parent, TApply apply);

    // The keys shown, as GlobalKeys::Load gives them.
    void SetKeys(const GlobalKeys::TTexts& keys);
    // The keys chosen, in QKeySequence::PortableText, empty for none.
    GlobalKeys::TTexts Keys() const;
    // Another section, below the ones there and above the buttons; the
    // dialog takes `content`.
    void AddSection(const QString& title, QWidget* content);

    QKeySequenceEdit* KeyEdit(size_t lap) const { return FEdits[lap]; }
    QPushButton* ClearButton(size_t lap) const { return FClears[lap]; }
    QPushButton* ApplyButton() const { return FApplyButton; }

private:
    TApply FApply;
    QVBoxLayout* FSections;
    std::array<QKeySequenceEdit*, 3> FEdits{};
    std::array<QPushButton*, 3> FClears{};
    QPushButton* FApplyButton;
};
