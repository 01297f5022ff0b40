#pragma once
// The short page of keys and mouse actions (F1), in the user's language.

#include "core/app/mainmenu.h"

#include <QDialog>

#include <filesystem>

class QLabel;

namespace wavix {

class CDlgHelpKeys : public QDialog {
    Q_OBJECT

public:
    // An empty langFile keeps the built-in texts.
    explicit CDlgHelpKeys(const std::filesystem::path& langFile, QWidget* parent = nullptr);

    // The page as shown, without markup.
    QString PlainText() const;

private:
    QLabel* page_ = nullptr;
};

} // namespace wavix
