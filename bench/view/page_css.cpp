// The viewer's style: a dark panel, so the gauge's transparent black reads
// as the panel behind it, and crisp enlarged pixels.
#include "view/page_assets.h"

namespace gb::view {

const std::string_view kPageCss = R"css(
:root {
  --bg: #15181c; --panel: #1e2228; --panel-2: #262b33; --line: #343b45;
  --text: #e4e7eb; --muted: #949ca8; --accent: #4fb3ff; --ok: #4cd07d; --warn: #f0b429; --bad: #ff6b6b;
  --gauge-bg: #0b0d10;
  color-scheme: dark;
}
* { box-sizing: border-box; }
[hidden] { display: none !important; }
html, body { margin: 0; background: var(--bg); color: var(--text);
  font: 14px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif; }
h1 { font-size: 17px; margin: 0; font-weight: 600; letter-spacing: .2px; }
h2 { font-size: 13px; margin: 0 0 8px; font-weight: 600; text-transform: uppercase; letter-spacing: .6px; color: var(--muted); }
button, select, input { font: inherit; color: var(--text); }
button {
  background: var(--panel-2); border: 1px solid var(--line); border-radius: 6px; padding: 5px 12px; cursor: pointer;
}
button:hover:not(:disabled) { border-color: var(--accent); }
button:disabled { opacity: .45; cursor: default; }
button:focus-visible, select:focus-visible, input:focus-visible, canvas:focus-visible {
  outline: 2px solid var(--accent); outline-offset: 2px;
}
select, input[type=number] {
  background: var(--bg); border: 1px solid var(--line); border-radius: 5px; padding: 3px 6px;
}
input[type=number] { width: 110px; font-variant-numeric: tabular-nums; }
input[type=checkbox], input[type=range] { accent-color: var(--accent); }
.muted { color: var(--muted); }
.small { font-size: 12px; }

.bar {
  display: flex; align-items: center; gap: 20px; flex-wrap: wrap;
  padding: 10px 20px; background: var(--panel); border-bottom: 1px solid var(--line);
}
.title { display: flex; align-items: baseline; gap: 12px; flex: 1; min-width: 260px; }
.path { color: var(--muted); font-family: ui-monospace, "DejaVu Sans Mono", monospace; font-size: 12px;
  overflow: hidden; text-overflow: ellipsis; white-space: nowrap; max-width: 50vw; }
.status { display: flex; align-items: center; gap: 10px; }
.pill { padding: 2px 10px; border-radius: 999px; font-size: 12px; font-weight: 600; background: var(--panel-2); border: 1px solid var(--line); }
.pill.running { color: var(--ok); border-color: #2c6b45; }
.pill.paused { color: var(--warn); border-color: #7a5d16; }
.pill.error { color: var(--bad); border-color: #7a2e2e; }
.clock { font-variant-numeric: tabular-nums; color: var(--muted); min-width: 70px; }
.controls { display: flex; gap: 8px; }

.layout { display: grid; grid-template-columns: minmax(320px, auto) minmax(340px, 1fr); gap: 20px; padding: 20px; align-items: start; }
@media (max-width: 820px) { .layout { grid-template-columns: 1fr; } }
.stage-column { display: flex; flex-direction: column; gap: 14px; }
.view-options { display: flex; gap: 16px; flex-wrap: wrap; align-items: center; }
.view-options label { display: inline-flex; align-items: center; gap: 6px; cursor: pointer; }

.stage {
  position: relative; align-self: flex-start; padding: 24px; border-radius: 10px;
  background: var(--gauge-bg); border: 1px solid var(--line);
  box-shadow: inset 0 0 0 1px #000, 0 6px 24px rgba(0,0,0,.35);
}
#gauge { display: block; image-rendering: pixelated; }
.error { max-width: 520px; color: var(--text); }
.error h2 { color: var(--bad); }
.error pre { white-space: pre-wrap; word-break: break-word; background: #2a1719; border: 1px solid #5c2a2e;
  padding: 10px; border-radius: 6px; font-size: 12px; color: #ffd2d2; }
.tooltip {
  position: absolute; z-index: 2; pointer-events: none; min-width: 200px; max-width: 320px;
  background: rgba(20,23,28,.96); border: 1px solid var(--accent); border-radius: 6px; padding: 6px 9px;
  font-size: 12px; box-shadow: 0 4px 14px rgba(0,0,0,.5);
}
.tooltip b { color: var(--accent); }
.kv { display: grid; grid-template-columns: auto 1fr; gap: 1px 10px; margin: 0; }
.kv dt { color: var(--muted); }
.kv dd { margin: 0; font-family: ui-monospace, "DejaVu Sans Mono", monospace; }

.hover, .areas, .panel { background: var(--panel); border: 1px solid var(--line); border-radius: 10px; padding: 12px 14px; }
.hover p { margin: 0; }
.area-list { display: flex; flex-direction: column; gap: 6px; }
.area-list button { text-align: left; display: flex; gap: 10px; align-items: baseline; }
.area-list .idx { display: inline-block; min-width: 22px; font-weight: 700; }
.area-list .meta { color: var(--muted); font-size: 12px; font-family: ui-monospace, "DejaVu Sans Mono", monospace; }

.side-column { display: flex; flex-direction: column; gap: 20px; min-width: 0; }
.var { display: grid; grid-template-columns: 150px 1fr auto; gap: 10px; align-items: center; margin: 8px 0; }
.var label { color: var(--text); }
.var input[type=range] { width: 100%; }
.var .hint { color: var(--muted); font-size: 12px; }
.var:not(:has(input[type=range])) input[type=number] { grid-column: 2; justify-self: start; }
.meter { display: inline-block; width: 90px; height: 8px; border-radius: 4px; background: var(--bg); border: 1px solid var(--line); overflow: hidden; }
.meter span { display: block; height: 100%; width: 0; background: var(--accent); }

.log-panel { display: flex; flex-direction: column; min-height: 320px; }
.log-head { display: flex; align-items: baseline; gap: 12px; }
.log-head h2 { flex: 1; }
.small-button { padding: 1px 8px; font-size: 12px; }
.log { list-style: none; margin: 8px 0 0; padding: 0; max-height: 56vh; overflow-y: auto;
  font-family: ui-monospace, "DejaVu Sans Mono", monospace; font-size: 12px; }
.log li { display: grid; grid-template-columns: 58px 76px 1fr; gap: 8px; padding: 2px 4px; border-radius: 4px; }
.log li:nth-child(odd) { background: rgba(255,255,255,.02); }
.log .t { color: var(--muted); text-align: right; font-variant-numeric: tabular-nums; }
.log .k { font-weight: 600; }
.log .text { white-space: pre-wrap; word-break: break-word; }
.log li.click { margin-top: 6px; border-top: 1px solid var(--line); padding-top: 5px; }
.log li.click .k { color: var(--accent); }
.log li.handler .k { color: #b59cff; }
.log li.key-event .k { color: var(--ok); }
.log li.key-event .text { color: #c6f5d7; }
.log li.variable .k { color: var(--warn); }
.log li.note .k { color: var(--muted); }
.log li.system .k { color: #7fd4d4; }
.log li.system.fault .k, .log li.system.fault .text { color: var(--bad); }
)css";

}  // namespace gb::view
