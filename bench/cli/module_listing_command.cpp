#include <filesystem>
#include <ostream>

#include "cli/commands.h"
#include "cli/module_report.h"
#include "resources/resource_listing.h"

namespace gb::cli {

int runInspect(const InspectOptions& options, std::ostream& out, std::ostream& err) {
  Result<ModuleReport> report = buildModuleReport(options.path);
  if (!report) {
    err << "gaugebench: " << report.error().message << "\n";
    return 1;
  }
  if (!options.bitmapDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.bitmapDir, ec);
    if (ec) {
      err << "gaugebench: " << options.bitmapDir << ": cannot create the folder: " << ec.message() << "\n";
      return 1;
    }
    if (Status s = res::writeBitmapPngs(report->host->file(), options.bitmapDir); !s) {
      err << "gaugebench: " << s.error().message << "\n";
      return 1;
    }
  }
  if (options.json) {
    out << reportJson(*report).dump(2) << "\n";
  } else {
    out << formatReport(*report);
    out << "\nresources:\n" << res::describeResources(report->host->file());
  }
  return 0;
}

}  // namespace gb::cli
