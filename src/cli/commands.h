#pragma once

// Sub-commands of `mirune`. Each Register function adds its sub-command to the root app;
// the sub-command's callback stores its process exit code in `exit_code`
// (0 success, 1 refusal or abort, 2 error or bad input).

namespace CLI {
class App;
}

namespace mirune::cli {

// Sub-commands are added here as each area lands.

}  // namespace mirune::cli
