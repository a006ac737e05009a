#include "cli/app.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.h"

namespace gb::cli {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, ViewRunner viewRunner) {
  CLI::App app{"gaugebench: loads a panel gauge module (a 32-bit Windows DLL), runs it in an\n"
               "emulated i386 machine with a stand-in panel host, and shows what it does."};
  app.name("gaugebench");
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Show the help of every command");

  InspectOptions inspect;
  CLI::App* inspectCommand =
      app.add_subcommand("inspect", "Print a module's exports and records as the host finds them");
  inspectCommand->add_option("FILE", inspect.path, "The gauge module, e.g. build/quandel.gau")->required();
  inspectCommand->add_flag("--json", inspect.json, "Print the same as JSON");
  inspectCommand->add_option("--bitmaps", inspect.bitmapDir,
                             "Also write each bitmap as DIR/bitmap-0xID.png (pure black transparent)")
      ->type_name("DIR");

  RenderOptions render;
  CLI::App* renderCommand = app.add_subcommand(
      "render", "Run the gauge for some frames and write the last one as a PNG");
  renderCommand->add_option("FILE", render.path, "The gauge module")->required();
  renderCommand->add_option("--set", render.sets,
                            "Set a host variable before the first frame, e.g. --set 318=-8000 "
                            "(318 strip and pointer, 324 arm flag, 326 lever position)")
      ->type_name("TOKEN=VALUE");
  renderCommand->add_option("--scale", render.scale, "Enlarge each pixel N times, without smoothing")
      ->type_name("N")->check(CLI::Range(1, 16))->default_val(1);
  renderCommand->add_flag("--areas", render.areas, "Outline the mouse areas and label them with their index");
  renderCommand->add_flag("--overflow", render.overflow,
                          "Show every picture in full, with the gauge's extent outlined in magenta");
  renderCommand->add_option("--frames", render.frames, "Frames to run before the picture (at 18 per second)")
      ->type_name("N")->check(CLI::Range(1, 100000))->default_val(1);
  renderCommand->add_option("-o,--output", render.output, "The PNG to write")->type_name("OUT.png")->required();
  renderCommand->add_flag("--watch-writes", render.watchWrites,
                          "Record the stores the module's code makes into its own image and list them");

  PlayOptions play;
  CLI::App* playCommand = app.add_subcommand(
      "play", "Run a scenario script against the gauge: print the event log, write the named frames, "
              "and fail at the first expectation that does not hold");
  playCommand->add_option("FILE", play.path, "The gauge module")->required();
  playCommand->add_option("SCRIPT", play.script,
                          "The scenario, one step a line: set TOKEN VALUE | click X Y | advance SECONDS | "
                          "frame NAME | expect var TOKEN VALUE | expect event NAME VALUE | expect event none | "
                          "# comment")
      ->required();
  playCommand->add_option("-o,--output", play.frameDir, "Where `frame NAME` writes NAME.png")
      ->type_name("DIR")->default_val(".");
  playCommand->add_option("--scale", play.scale, "Enlarge each frame N times, without smoothing")
      ->type_name("N")->check(CLI::Range(1, 16))->default_val(1);
  playCommand->add_flag("--instant", play.instant,
                        "The lever position reaches its target at once (default: full travel in about 1.5 s)");
  playCommand->add_flag("--watch-writes", play.watchWrites,
                        "Record the stores the module's code makes into its own image and list them");

  ViewOptions view;
  CLI::App* viewCommand = app.add_subcommand(
      "view", "Show the gauge live in a browser: click it, watch its areas, variables and event log");
  viewCommand->add_option("FILE", view.path, "The gauge module (reloaded when it changes)")->required();
  viewCommand->add_option("--port", view.port, "Port on 127.0.0.1 (0: any free port, printed)")
      ->type_name("N")->check(CLI::Range(0, 65535))->default_val(8357);
  viewCommand->add_flag("--open", view.open, "Open the page with xdg-open");

  std::vector<std::string> argv = args;
  std::reverse(argv.begin(), argv.end());  // CLI11 takes the arguments in reverse
  try {
    app.parse(argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::CallForAllHelp&) {
    out << app.help("", CLI::AppFormatMode::All);
    return 0;
  } catch (const CLI::ParseError& e) {
    // Help asked of a subcommand arrives as CallForHelp from it.
    err << "gaugebench: " << e.what() << "\n"
        << "Run 'gaugebench --help' for usage.\n";
    return 2;
  }

  if (inspectCommand->parsed()) return runInspect(inspect, out, err);
  if (renderCommand->parsed()) return runRender(render, out, err);
  if (playCommand->parsed()) return runPlay(play, out, err);
  if (viewCommand->parsed()) {
    if (!viewRunner) {
      err << "gaugebench: the viewer is not part of this program\n";
      return 1;
    }
    return viewRunner(view, out, err);
  }
  return 2;
}

}  // namespace gb::cli
