// The viewer's page: the gauge, its controls, the variables and the log.
#include "view/page_assets.h"

namespace gb::view {

const std::string_view kPageHtml = R"page(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>gaugebench view</title>
<link rel="icon" href="data:,">
<link rel="stylesheet" href="/view.css">
<script src="/view.js" defer></script>
</head>
<body>
<header class="bar">
  <div class="title">
    <h1>gaugebench view</h1>
    <span id="module-path" class="path"></span>
  </div>
  <div class="status">
    <span id="status" class="pill">connecting</span>
    <span id="clock" class="clock" title="simulated time since the module was loaded">0.00 s</span>
  </div>
  <div class="controls" role="toolbar" aria-label="Time">
    <button id="run" type="button" title="Run or pause simulated time">Pause</button>
    <button id="step" type="button" title="One frame (1/18 s) of simulated time" disabled>Step</button>
    <button id="reset" type="button" title="Load the module afresh, every variable at rest">Reset</button>
  </div>
</header>

<main class="layout">
  <section class="stage-column" aria-label="Gauge">
    <div class="view-options" role="group" aria-label="View">
      <label>Zoom
        <select id="zoom">
          <option value="1">x1</option><option value="2">x2</option><option value="3">x3</option>
          <option value="4" selected>x4</option><option value="5">x5</option><option value="6">x6</option>
          <option value="7">x7</option><option value="8">x8</option>
        </select>
      </label>
      <label><input id="toggle-areas" type="checkbox"> Mouse areas</label>
      <label><input id="toggle-bounds" type="checkbox"> Element bounds</label>
      <label><input id="toggle-overflow" type="checkbox"> Overflow view</label>
    </div>
    <div class="stage" id="stage">
      <canvas id="gauge" width="74" height="178" aria-label="The gauge; click it as a pilot would"></canvas>
      <div id="error" class="error" role="alert" hidden>
        <h2>The module is not running</h2>
        <pre id="error-text"></pre>
        <p>Fix and rebuild it: the viewer reloads the file when it changes. Or press Reset.</p>
      </div>
      <div id="tooltip" class="tooltip" role="tooltip" hidden></div>
    </div>
    <div class="hover" aria-live="polite">
      <h2>Under the pointer</h2>
      <p id="hover-info" class="muted">Move the pointer over the gauge.</p>
    </div>
    <div class="areas">
      <h2>Mouse areas</h2>
      <p class="muted small">Each button clicks the middle of its area.</p>
      <div id="area-list" class="area-list"></div>
    </div>
  </section>

  <section class="side-column">
    <div class="panel">
      <h2>Variables</h2>
      <div class="var">
        <label for="var-318">318 strip and pointer</label>
        <input id="var-318" type="range" min="-16384" max="16384" step="1" value="0">
        <input id="var-318-number" type="number" min="-16384" max="16384" step="1" value="0" aria-label="318 value">
      </div>
      <div class="var">
        <label for="var-324">324 arm flag</label>
        <input id="var-324" type="number" step="1" value="0">
        <span class="hint">0 stowed, 1 armed</span>
      </div>
      <div class="var">
        <label for="var-326">326 lever position</label>
        <input id="var-326" type="number" step="1" value="0">
        <span id="var-326-bar" class="meter" aria-hidden="true"><span></span></span>
      </div>
      <div class="var">
        <label for="target-326">Lever target</label>
        <input id="target-326" type="number" step="1" value="0">
        <span id="moving" class="hint"></span>
      </div>
      <div class="var">
        <label for="rate">Travel rate</label>
        <input id="rate" type="number" min="0" step="any" value="0">
        <span class="hint">units/s, 0 instant</span>
      </div>
      <p class="muted small">Enter sets a value. 326 set here jumps; a target makes it travel.</p>
    </div>

    <div class="panel log-panel">
      <div class="log-head">
        <h2>Event log</h2>
        <span id="counters" class="muted small"></span>
        <button id="log-clear" type="button" class="small-button" title="Clear the list on this page">Clear</button>
      </div>
      <ol id="log" class="log" aria-live="polite"></ol>
    </div>
  </section>
</main>
</body>
</html>
)page";

}  // namespace gb::view
