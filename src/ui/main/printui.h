#pragma once
// Printing the capture (toolbar code 2): one page with the visible views, the
// channels of the capture store and the trigger channel; failures in a box.

#include <filesystem>
#include <string>
#include <vector>

class QWidget;

namespace wavix {

class CMainTexts;
class CScope;
class CScopeData;
class IMainView;

class CPrintUi {
public:
    CPrintUi(QWidget& window, IMainView& boxes, const CMainTexts& texts, CScopeData& data)
        : window_(window), boxes_(boxes), texts_(texts), data_(data) {}

    // perChannel: the views show one channel each.
    void Print(const std::vector<CScope*>& displays, bool perChannel, const std::filesystem::path& langFile,
               const std::string& dataDir);

private:
    QWidget& window_;
    IMainView& boxes_;
    const CMainTexts& texts_;
    CScopeData& data_;
};

} // namespace wavix
