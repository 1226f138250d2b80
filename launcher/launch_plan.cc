#include "launcher/launch_plan.h"

#include "launcher/text.h"

namespace launcher {

bool HasSeparateTempCopy(const LaunchPlan& plan) {
  return plan.tempCopyPath[0] != '\0' && !TextEquals(plan.tempCopyPath, plan.responseFilePath);
}

}  // namespace launcher
