#include "shell/app.h"

#include "shell/menus.h"

App::App(const Options& o)
    : clock(o.clock), ui(o.clock, o.frontend, callbacks, o.resource_dir) {
    shell::register_callbacks(*this);
}
