#pragma once
#include <QString>
#include <QVector>

class QWidget;

enum class MsgIcon { None, Information, Warning, Error, Question };

// Every message box of the program goes through one service, so that tests and
// the replay harness can record messages instead of showing them.
class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows a modal box with an OK button and returns when it is closed.
    // `informative`, when given, goes below the text (the English of a
    // Japanese error).
    virtual void Show(const QString& caption, const QString& text, MsgIcon icon,
                      const QString& informative = {}) = 0;

    static MessageService& Instance();
    // Installs a service (not owned); nullptr restores the real one.
    static void SetInstance(MessageService* service);
};

struct MessageRecord {
    QString caption;
    QString text;
    MsgIcon icon = MsgIcon::None;
    QString informative;
};

class RecordingMessageService : public MessageService {
public:
    void Show(const QString& caption, const QString& text, MsgIcon icon,
              const QString& informative = {}) override {
        Records.push_back({caption, text, icon, informative});
    }
    QVector<MessageRecord> Records;
};

// Installs a recording service for the life of the object.
class ScopedMessageRecorder {
public:
    ScopedMessageRecorder() { MessageService::SetInstance(&Recorder); }
    ~ScopedMessageRecorder() { MessageService::SetInstance(nullptr); }
    ScopedMessageRecorder(const ScopedMessageRecorder&) = delete;
    ScopedMessageRecorder& operator=(const ScopedMessageRecorder&) = delete;
    RecordingMessageService Recorder;
    const QVector<MessageRecord>& Records() const { return Recorder.Records; }
};

// The information box of the About and Help items (and of the spreadsheet's
// notes, with their English as `english`).
void ShowInfoMessage(const QString& caption, const QString& text, const QString& english = {});
// The error box of the grid operations: caption Msg::ErrorCaption, one OK
// button, `english` as the informative text.
void ShowErrorMessage(const QString& text, const QString& english = {});

// The one line the real service writes to stderr for an error or warning box,
// so that an operator's log holds what the box said: "vantel: " and the
// caption, the text and the informative text, each line break a blank.
QString MessageLogLine(const QString& caption, const QString& text, const QString& informative);
