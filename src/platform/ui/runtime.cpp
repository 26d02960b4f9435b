#include "platform/ui/runtime.h"

#include <ctime>
#include <filesystem>

#include "platform/ui/control_state.h"
#include "platform/ui/resource.h"

namespace ui {

using namespace detail;

Runtime::Runtime(platform::Clock& clock, Frontend& frontend, CallbackRegistry& callbacks,
                 std::string resource_dir)
    : clock_(clock),
      frontend_(frontend),
      callbacks_(callbacks),
      resource_dir_(std::move(resource_dir)),
      project_dir_(resource_dir_) {
    frontend_.attach(*this);
}

// --- model access ----------------------------------------------------------------------

Panel* Runtime::panel_mut(int handle) {
    if (handle < 1 || handle > static_cast<int>(panels_.size())) return nullptr;
    return panels_[handle - 1].get();
}
const Panel* Runtime::panel(int handle) const {
    return const_cast<Runtime*>(this)->panel_mut(handle);
}
Control* Runtime::ctrl_mut(int panel, int ctrl) {
    Panel* p = panel_mut(panel);
    if (!p || ctrl < 1 || ctrl > static_cast<int>(p->controls.size())) return nullptr;
    Control& c = p->controls[ctrl - 1];
    return c.id == 0 ? nullptr : &c;  // id 0: discarded
}
const Control* Runtime::control(int panel, int ctrl) const {
    return const_cast<Runtime*>(this)->ctrl_mut(panel, ctrl);
}
int Runtime::control_id(int panel, const std::string& name) const {
    const Panel* p = this->panel(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    for (const auto& c : p->controls)
        if (c.name == name && c.id != 0) return c.id;
    return UIE_NO_SUCH_CONTROL;
}
const MenuBar* Runtime::menubar(int handle) const {
    if (handle < 1 || handle > static_cast<int>(menubars_.size())) return nullptr;
    return menubars_[handle - 1].get();
}
std::vector<int> Runtime::panel_handles() const {
    std::vector<int> out;
    for (const auto& p : panels_) out.push_back(p->handle);
    return out;
}

MenuItem* Runtime::menu_item_mut(int menubar, int item) {
    if (menubar < 1 || menubar > static_cast<int>(menubars_.size())) return nullptr;
    return find_item(menubars_[menubar - 1]->menus, item);
}
const MenuItem* Runtime::menu_item(int menubar, int item) const {
    return const_cast<Runtime*>(this)->menu_item_mut(menubar, item);
}

void Runtime::notify(Change::Kind kind, int panel, int ctrl) {
    if (kind == Change::Control || kind == Change::ListItems) take_bound(panel, ctrl);
    frontend_.changed(Change{kind, panel, ctrl});
}

// --- panels ----------------------------------------------------------------------------

int Runtime::LoadPanel(int parent, const std::string& file) {
    if (parent != 0 && !panel_mut(parent)) return UIE_NO_SUCH_PANEL;
    const std::string path = MakePathname(resource_dir_, file);
    if (!std::filesystem::exists(path)) return UIE_FILE_NOT_FOUND;
    ResourceResult r = ReadResourceFile(path);
    if (!r.error.empty()) return UIE_BAD_RESOURCE;
    auto p = std::make_unique<Panel>(std::move(r.resource.panel));
    p->handle = static_cast<int>(panels_.size()) + 1;
    p->parent = parent;
    if (r.resource.menubar) {
        auto mb = std::make_unique<MenuBar>(std::move(*r.resource.menubar));
        mb->handle = static_cast<int>(menubars_.size()) + 1;
        mb->panel = p->handle;
        p->menubar = mb->handle;
        menubars_.push_back(std::move(mb));
    }
    panels_.push_back(std::move(p));
    return panels_.back()->handle;
}

int Runtime::DisplayPanel(int panel) {
    Panel* p = panel_mut(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    p->visible = true;
    notify(Change::PanelShown, panel);
    return 0;
}
int Runtime::HidePanel(int panel) {
    Panel* p = panel_mut(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    p->visible = false;
    notify(Change::PanelHidden, panel);
    return 0;
}
int Runtime::SetActivePanel(int panel) {
    if (!panel_mut(panel)) return UIE_NO_SUCH_PANEL;
    notify(Change::PanelActivated, panel);
    return 0;
}
int Runtime::SetPanelAttribute(int panel, int attr, const std::string& value) {
    Panel* p = panel_mut(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    if (attr != ATTR_TITLE) return UIE_WRONG_TYPE;
    p->title = value;
    notify(Change::PanelTitle, panel);
    return 0;
}
int Runtime::GetPanelAttribute(int panel, int attr, std::string* value) const {
    const Panel* p = this->panel(panel);
    if (!p) return UIE_NO_SUCH_PANEL;
    if (attr != ATTR_TITLE) return UIE_WRONG_TYPE;
    *value = p->title;
    return 0;
}

// --- popups ----------------------------------------------------------------------------

int Runtime::MessagePopup(const std::string& title, const std::string& text) {
    frontend_.message(title, text);
    return 0;
}
int Runtime::ConfirmPopup(const std::string& title, const std::string& text) {
    return frontend_.confirm(title, text) ? 1 : 0;
}
int Runtime::PromptPopup(const std::string& title, const std::string& text, std::string* answer,
                         int max_length) {
    std::string a;
    const int r = frontend_.prompt(title, text, max_length, a);
    if (r < 0) return r;
    if (max_length > 0 && static_cast<int>(a.size()) > max_length) a.resize(max_length);
    *answer = a;
    return 0;
}
int Runtime::FileSelectPopup(const std::string& directory, const std::string& default_name,
                             const std::string& pattern, const std::string& title, int button,
                             bool restrict_extension, std::string* path) {
    FileSelectRequest req{directory, default_name, pattern, title, button, restrict_extension};
    std::string chosen;
    const int r = frontend_.file_select(req, chosen);
    if (r == VAL_NO_FILE_SELECTED) return r;
    *path = chosen;
    return GetFileInfo(chosen, nullptr) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

// --- files and text --------------------------------------------------------------------

std::string Runtime::MakePathname(const std::string& dir, const std::string& file) {
    if (dir.empty()) return file;
    if (dir.back() == '/') return dir + file;
    return dir + "/" + file;
}
int Runtime::GetFileInfo(const std::string& path, long* size) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return 0;
    if (size) *size = static_cast<long>(std::filesystem::file_size(path, ec));
    return 1;
}
std::string Runtime::DateStr() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
    return buf;
}
std::string Runtime::TimeStr() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
    return buf;
}
void Runtime::Print(const std::string& text) {
    stdout_partial_ += text;
    size_t nl;
    while ((nl = stdout_partial_.find('\n')) != std::string::npos) {
        std::string line = stdout_partial_.substr(0, nl);
        stdout_partial_.erase(0, nl + 1);
        stdout_lines_.push_back(line);
        frontend_.stdout_line(line);
    }
}

// --- print, clipboard, help ------------------------------------------------------------

int Runtime::PrintPanel(int panel) {
    if (!panel_mut(panel)) return UIE_NO_SUCH_PANEL;
    return frontend_.print(panel, 0, print_low_res_);
}
int Runtime::PrintCtrl(int panel, int ctrl) {
    if (!ctrl_mut(panel, ctrl)) return UIE_NO_SUCH_CONTROL;
    return frontend_.print(panel, ctrl, print_low_res_);
}
int Runtime::HtmlToPdf(const std::string& html, std::string* pdf) {
    return frontend_.html_to_pdf(html, *pdf);
}
int Runtime::ClipboardPutPanelBitmap(int panel) {
    if (!panel_mut(panel)) return UIE_NO_SUCH_PANEL;
    return frontend_.copy_panel_to_clipboard(panel);
}
int Runtime::SystemHelp(const std::string& path, int mode) {
    frontend_.help(path, mode);
    return 0;
}

}  // namespace ui
