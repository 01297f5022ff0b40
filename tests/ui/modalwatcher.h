#pragma once
// Answers modal windows that a call opens and waits on: every message box is
// noted (caption, text, icon), photographed when WAVIX_SHOT_DIR is set, and
// closed; any other modal dialog goes to a handler.

#include "ui/uitestapp.h"

#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace wavix::test {

struct SeenBox {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QDialog&)> onDialog = {}) : onDialog_(std::move(onDialog)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start();
    }
    ModalWatcher(const ModalWatcher&) = delete;
    ModalWatcher& operator=(const ModalWatcher&) = delete;

    // Names the grab of the next boxes, one name per box; no name, no picture.
    void shootBoxesAs(std::vector<std::string> names) { shots_ = std::move(names); }

    std::vector<SeenBox> boxes;

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == handled_)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxes.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
            if (!shots_.empty()) {
                shoot(*box, shots_.front());
                shots_.erase(shots_.begin());
            }
            box->done(QMessageBox::Ok);
        } else if (auto* dialog = qobject_cast<QDialog*>(modal); dialog != nullptr && onDialog_) {
            // The handler may open a box of its own: look again while it runs.
            handled_ = dialog;
            onDialog_(*dialog);
            handled_ = nullptr;
        }
    }

    QTimer timer_;
    std::function<void(QDialog&)> onDialog_;
    QWidget* handled_ = nullptr;
    std::vector<std::string> shots_;
};

} // namespace wavix::test
