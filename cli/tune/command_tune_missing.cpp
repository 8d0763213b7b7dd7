// tune, in a build without its HTTP and JSON libraries.
#include "cli/commands.h"

namespace kravent::cli {

int CommandTune(const Arguments&, const Reporter& report) {
    return report.Failure("this kravent was built without the tuning page (cpp-httplib and nlohmann-json were missing)");
}

}  // namespace kravent::cli
