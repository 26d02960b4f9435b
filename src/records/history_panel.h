// The desktop program's History panel: the kept runs filtered by board serial, date and
// verdict as a table, the trend of one figure across them with its limits and mean ± 3σ, CSV
// export, and where the records are kept (this computer or a PostgreSQL server), remembered.
#pragma once

class App;

namespace records {

void history_panel_callbacks(App& app);

}  // namespace records
