#include "ui/main/statuspanes.h"

#include <QLabel>
#include <QStatusBar>

namespace wavix {
namespace {

class CPaneLabel : public QLabel {
public:
    CPaneLabel(QWidget* parent, std::function<void()> onDoubleClick)
        : QLabel(parent), onDoubleClick_(std::move(onDoubleClick)) {}

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (onDoubleClick_)
            onDoubleClick_();
        else
            QLabel::mouseDoubleClickEvent(event);
    }

private:
    std::function<void()> onDoubleClick_;
};

} // namespace

void CStatusPanes::Create(QStatusBar& bar, std::function<void()> onDoubleClick) {
    // The name pane carries the whole information line, so it takes what is left;
    // the others keep fixed widths.
    const std::array<int, 5> widths = {340, 100, 190, 24, 260};
    const std::array<const char*, 5> names = {"ModuleName", "ModuleType", "ModuleStatus", "ModuleSlider",
                                              "LinkState"};
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        const bool opens = i == 2 || i == 4; // where a missing tester is told
        auto* label = new CPaneLabel(&bar, opens ? onDoubleClick : std::function<void()>());
        label->setObjectName(QString::fromLatin1(names[i]));
        if (i == 0)
            label->setMinimumWidth(widths[i]);
        else
            label->setFixedWidth(widths[i]);
        if (i != 3)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panes_[i] = label;
    }
    bar.addWidget(panes_[0], 1);
    for (std::size_t i = 1; i < panes_.size(); ++i)
        bar.addWidget(panes_[i]);
}

QLabel* CStatusPanes::label(Pane p) const {
    switch (p) {
    case Pane::ModuleName:
        return panes_[0];
    case Pane::ModuleType:
        return panes_[1];
    case Pane::ModuleStatus:
        return panes_[2];
    case Pane::ModuleSlider:
        return panes_[3];
    case Pane::Link:
        return panes_[4];
    }
    return nullptr;
}

QString CStatusPanes::Text(Pane p) const {
    const QLabel* l = label(p);
    return l != nullptr ? l->text() : QString();
}

void CStatusPanes::SetText(Pane p, std::string_view text) {
    if (QLabel* l = label(p))
        l->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace wavix
