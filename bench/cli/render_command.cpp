#include <ostream>

#include "cli/commands.h"
#include "cli/variable_settings.h"
#include "machine/write_report.h"
#include "panel/panel_session.h"
#include "render/compose.h"
#include "render/overlay.h"
#include "render/png_writer.h"

namespace gb::cli {

int runRender(const RenderOptions& options, std::ostream& out, std::ostream& err) {
  auto fail = [&](const std::string& message) {
    err << "gaugebench: " << message << "\n";
    return 1;
  };
  std::vector<VariableSetting> settings;
  for (const std::string& text : options.sets) {
    Result<VariableSetting> setting = parseVariableSetting(text);
    if (!setting) return fail(setting.error().message);
    settings.push_back(*setting);
  }
  Result<std::unique_ptr<panel::PanelSession>> session = panel::PanelSession::open(options.path, {});
  if (!session) return fail(session.error().message);
  panel::PanelSession& s = **session;
  if (options.watchWrites)
    if (Status status = s.host().machine().watchImageWrites(true); !status) return fail(status.error().message);
  for (const VariableSetting& setting : settings)
    if (Status status = s.setVariable(setting.token, setting.value); !status)
      return fail("--set " + std::to_string(setting.token) + ": " + status.error().message);
  if (Status status = s.start(); !status) return fail(status.error().message);
  for (int i = 0; i < options.frames; ++i)
    if (Status status = s.advance(1.0 / panel::kFrameRate); !status) return fail(status.error().message);

  render::Composition composition = render::compose(s.lastFrame(), {.overflow = options.overflow});
  render::RgbaImage image = render::enlarged(composition.image, options.scale);
  if (options.areas) {
    Result<panel::MouseLayout> layout = s.mouseLayout();
    if (!layout) return fail(layout.error().message);
    render::drawMouseAreas(image, *layout, options.scale, composition.originX, composition.originY);
  }
  if (Status status = render::writePng(image, options.output); !status) return fail(status.error().message);
  if (options.watchWrites) out << machine::describeImageWrites(s.host().machine());
  return 0;
}

}  // namespace gb::cli
