#include "core/app/viewmenu.h"

#include "core/settings/builtintexts.h"
#include "core/support/strformat.h"

namespace wavix {

namespace {

constexpr int kMaxChannelIndex = 8;

bool perChannel(ViewAction a) {
    switch (a) {
    case ViewAction::ChannelInfo:
    case ViewAction::LoadedInfo:
    case ViewAction::ChannelColour:
    case ViewAction::LoadedColour:
    case ViewAction::DrawChannel:
    case ViewAction::DrawLoaded:
        return true;
    default:
        return false;
    }
}

std::string framed(const std::string& text) {
    return " " + text + " ";
}

ViewMenuItem command(ViewAction action, std::string text, int index = 0) {
    ViewMenuItem item;
    item.id = ViewCommandId(action, index);
    item.text = framed(text);
    return item;
}

ViewMenuItem separator() {
    ViewMenuItem item;
    item.kind = ViewMenuItem::Kind::Separator;
    return item;
}

ViewMenuItem submenu(const std::string& text) {
    ViewMenuItem item;
    item.kind = ViewMenuItem::Kind::Submenu;
    item.text = framed(text);
    return item;
}

// One entry per live channel, then one per loaded channel; an empty submenu is greyed.
ViewMenuItem channelSubmenu(const std::string& title, const ViewMenuState& s, ViewAction liveAction,
                            ViewAction loadedAction, bool checkable, const TextLookup& text) {
    ViewMenuItem menu = submenu(title);
    const std::string liveFmt = text("TXT_211");
    const std::string loadedFmt = text("TXT_212");
    const auto add = [&](const ViewMenuChannel& ch, ViewAction action, const std::string& fmt) {
        ViewMenuItem item = command(action, StrFormat(fmt.c_str(), ch.number), ch.index);
        item.checkable = checkable;
        item.checked = checkable && ch.shown;
        menu.children.push_back(std::move(item));
    };
    for (const ViewMenuChannel& ch : s.live)
        add(ch, liveAction, liveFmt);
    for (const ViewMenuChannel& ch : s.loaded)
        add(ch, loadedAction, loadedFmt);
    menu.enabled = !menu.children.empty();
    return menu;
}

} // namespace

bool DecodeViewCommand(int id, ViewCommand& out) {
    if (id <= 15)
        return false;
    const int action = id / 256;
    const int index = id % 256;
    if (action < static_cast<int>(ViewAction::BackgroundColour) ||
        action > static_cast<int>(ViewAction::DrawLimits) || action == 0x18)
        return false;
    const auto a = static_cast<ViewAction>(action);
    if (perChannel(a) ? index > kMaxChannelIndex : index != 0)
        return false;
    out = {a, index};
    return true;
}

std::string BuiltinLookup(std::string_view key) {
    return std::string(BuiltinText(key));
}

std::string ViewMenuTitle(int view, const TextLookup& text) {
    static constexpr std::string_view kKeys[] = {"TXT_202", "TXT_203", "TXT_204", "TXT_205"};
    return text(view >= 0 && view < 4 ? kKeys[view] : "TXT_201");
}

ViewMenuModel BuildViewMenu(const ViewMenuState& s, const TextLookup& text) {
    ViewMenuModel m;
    m.title = ViewMenuTitle(s.view, text);
    auto& items = m.items;
    items.push_back(command(ViewAction::BackgroundColour, text("TXT_218")));
    items.push_back(command(ViewAction::GridColour, text("TXT_219")));
    items.push_back(
        channelSubmenu(text("TXT_220"), s, ViewAction::ChannelColour, ViewAction::LoadedColour, false, text));
    items.push_back(separator());
    // One item offers the other display: full while half, half while full.
    items.push_back(s.halfMode ? command(ViewAction::FullDisplay, text("TXT_221"))
                               : command(ViewAction::HalfDisplay, text("TXT_222")));
    items.push_back(s.scrollBar ? command(ViewAction::HideScrollBar, text("TXT_223"))
                                : command(ViewAction::ShowScrollBar, text("TXT_224")));
    items.push_back(
        channelSubmenu(text("TXT_213"), s, ViewAction::DrawChannel, ViewAction::DrawLoaded, true, text));
    ViewMenuItem limits = command(ViewAction::DrawLimits, text("TXT_214"));
    limits.checkable = true;
    limits.checked = s.limits;
    items.push_back(std::move(limits));
    items.push_back(separator());
    items.push_back(
        channelSubmenu(text("TXT_210"), s, ViewAction::ChannelInfo, ViewAction::LoadedInfo, false, text));
    items.push_back(separator());
    ViewMenuItem load = command(ViewAction::LoadCapture, text("TXT_216"));
    load.enabled = !s.rollLog;
    items.push_back(std::move(load));
    ViewMenuItem save = command(ViewAction::SaveCapture, text("TXT_215"));
    save.enabled = !s.live.empty() && !s.rollLog;
    items.push_back(std::move(save));
    ViewMenuItem remove = command(ViewAction::RemoveLoaded, text("TXT_225"));
    remove.enabled = s.anyLoaded;
    items.push_back(std::move(remove));
    return m;
}

const ViewMenuItem* FindViewMenuItem(const ViewMenuModel& model, int id) {
    for (const ViewMenuItem& item : model.items) {
        if (item.kind == ViewMenuItem::Kind::Command && item.id == id)
            return &item;
        for (const ViewMenuItem& child : item.children)
            if (child.id == id)
                return &child;
    }
    return nullptr;
}

} // namespace wavix
