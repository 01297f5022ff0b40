#pragma once
// A status text and a progress bar for long work, with a cancel button. It does
// no work itself: the owner sets text and position and listens to Cancelled.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace wavix {

class CDlgProgressBar : public QDialog {
    Q_OBJECT
public:
    explicit CDlgProgressBar(QWidget* parent = nullptr);

    // A new run: position at the start, cancel available again.
    void Begin(const QString& text);
    void SetText(const QString& text);
    QString Text() const;
    void SetRange(int low, int high);
    void SetPos(int pos);
    int Pos() const;
    // One step further; past the end it starts again.
    void StepIt();
    void SetCancelText(const QString& text);

signals:
    void Cancelled();

protected:
    void reject() override; // Escape and the close box ask to cancel, nothing more

private:
    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace wavix
