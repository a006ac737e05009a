// The viewer in Debian's chromium, headless: the page loads, hovering shows
// an area, clicks reach the module and move the lever, overlays toggle, and
// a change of 318 moves the pointer. Checks read the screen where they can.
import { chromium } from 'playwright-core';
import { check, eventually, getState, launchChromium, run, test, viewUrl } from './harness.mjs';

const SCREENSHOT_DIR = process.env.SCREENSHOT_DIR || '';
const { context, close } = await launchChromium(chromium);
// Screenshots are decoded in a blank page of their own (the viewer's page
// allows no data: fetches), opened first so the viewer's page stays in
// front: a page in the background gets its timers slowed down.
const decoder = await context.newPage();
const page = await context.newPage();
const problems = [];
page.on('pageerror', (error) => problems.push('page error: ' + error.message));
page.on('console', (message) => { if (message.type() === 'error') problems.push('console: ' + message.text().slice(0, 300)); });
page.on('requestfailed', (request) => problems.push('request failed: ' + request.url()));
// The page must fetch nothing from anywhere but the viewer.
page.on('request', (request) => {
  if (!request.url().startsWith(viewUrl) && !request.url().startsWith('data:')) problems.push('outside request: ' + request.url());
});

const canvas = page.locator('#gauge');
const logText = () => page.locator('#log').innerText();

async function geometry() {
  return canvas.evaluate((c) => ({
    scale: Number(c.dataset.scale), originX: Number(c.dataset.originX), originY: Number(c.dataset.originY),
  }));
}
// Where gauge pixel (x, y) lies on the canvas element, at its middle.
async function canvasPoint(x, y) {
  const g = await geometry();
  return { x: (x + g.originX) * g.scale + g.scale / 2, y: (y + g.originY) * g.scale + g.scale / 2 };
}
async function areaCentre(index) {
  const area = (await getState()).areas.find((a) => a.index === index);
  check(area, `no area ${index}`);
  return canvasPoint(area.box.x + Math.floor(area.box.width / 2), area.box.y + Math.floor(area.box.height / 2));
}

// The canvas as a screenshot, decoded in the page into gauge-pixel rows:
// pixels[y][x] = [r, g, b] sampled at the middle of each enlarged pixel.
async function screenshotPixels(name) {
  const png = await canvas.screenshot(SCREENSHOT_DIR ? { path: `${SCREENSHOT_DIR}/${name}.png` } : {});
  const g = await geometry();
  return decoder.evaluate(async ({ data, g }) => {
    const bitmap = await createImageBitmap(await (await fetch('data:image/png;base64,' + data)).blob());
    const c = new OffscreenCanvas(bitmap.width, bitmap.height);
    const cx = c.getContext('2d');
    cx.drawImage(bitmap, 0, 0);
    const all = cx.getImageData(0, 0, bitmap.width, bitmap.height).data;
    const rows = [];
    for (let y = 0; y * g.scale < bitmap.height; y++) {
      const row = [];
      for (let x = 0; x * g.scale < bitmap.width; x++) {
        const i = ((y * g.scale + (g.scale >> 1)) * bitmap.width + x * g.scale + (g.scale >> 1)) * 4;
        row.push([all[i], all[i + 1], all[i + 2]]);
      }
      rows.push(row);
    }
    return rows;
  }, { data: png.toString('base64'), g });
}
const lit = ([r, g, b]) => r + g + b > 150;
// The first row that has a lit pixel in columns [from, to] (gauge pixels).
function topLitRow(pixels, from, to) {
  for (let y = 0; y < pixels.length; y++)
    for (let x = from; x <= to; x++) if (lit(pixels[y][x])) return y;
  return -1;
}

test('the page loads: the gauge, its three areas as buttons, running, nothing fetched from elsewhere', async () => {
  await page.goto(viewUrl);
  await eventually(async () => (await page.locator('#status').innerText()) === 'running', 'running');
  await eventually(async () => (await page.locator('#area-list button').count()) === 3, 'showing 3 area buttons');
  const box = await canvas.boundingBox();
  check(box && box.width === 74 * 4 && box.height === 178 * 4, `canvas is ${JSON.stringify(box)}, want 296 x 712`);
  const rendering = await canvas.evaluate((c) => getComputedStyle(c).imageRendering);
  check(rendering === 'pixelated', `image-rendering is ${rendering}`);
  check((await logText()).includes('loaded'), 'the log shows the load');
  // A fresh module (the lever's detent at 0) and an empty log on the page,
  // whatever ran against this viewer before.
  await page.locator('#reset').click();
  await eventually(async () => (await logText()).includes('reset: loaded'), 'reset');
  await page.locator('#log-clear').click();
});

test('hovering an area shows its tooltip and its cursor', async () => {
  const point = await areaCentre(1);
  await canvas.hover({ position: point });
  const tooltip = page.locator('#tooltip');
  await eventually(() => tooltip.isVisible(), 'showing the tooltip');
  const text = await tooltip.innerText();
  for (const part of ['Area 1', '0,0 38×85', 'hand', 'quandel.gau+0x'])
    check(text.includes(part), `tooltip lacks "${part}": ${text}`);
  check((await canvas.evaluate((c) => c.style.cursor)) === 'pointer', 'cursor code 5 shows a hand');
  const lower = await areaCentre(2);
  await canvas.hover({ position: lower });
  await eventually(async () => (await tooltip.innerText()).includes('Area 2'), 'showing area 2');
  check((await canvas.evaluate((c) => c.style.cursor)) === 'n-resize', 'cursor code 1 shows an up arrow');
  await page.mouse.move(0, 0);
  await eventually(async () => !(await tooltip.isVisible()), 'hiding the tooltip');
});

test('a click on the middle area sends SpeedBrakeSetEvent 4096; 326 reaches 4096 and the handle is drawn lower', async () => {
  const before = await screenshotPixels('before-click');
  const handleTop = topLitRow(before, 56, 73);
  await canvas.click({ position: await areaCentre(2) });
  await eventually(async () => (await logText()).includes('SpeedBrakeSetEvent 4096'), 'logging the key event');
  await eventually(async () => (await page.locator('#var-326').inputValue()) === '4096', '326 at 4096 on the page', 5000);
  const state = await getState();
  check(state.variables['326'] === 4096, `326 is ${state.variables['326']}`);
  await eventually(async () => !(await getState()).model.moving, 'the lever at rest');
  await page.waitForTimeout(150);
  const after = await screenshotPixels('after-click');
  const moved = topLitRow(after, 56, 73) - handleTop;
  // 4096 x 0.002155 = 8.83 pixels, drawn as 9.
  check(moved === 9, `the handle's top moved ${moved} pixels (from row ${handleTop}), want 9`);
});

test('each mouse area is a button that clicks it from the keyboard', async () => {
  const button = page.locator('#area-list button[data-area="2"]');
  await button.focus();
  await page.keyboard.press('Enter');
  await eventually(async () => (await logText()).includes('SpeedBrakeSetEvent 8192'), 'logging the second step');
  await page.locator('#area-list button[data-area="3"]').focus();
  await page.keyboard.press('Space');
  await eventually(async () => (await getState()).model.target === 4096, 'the lever target back at 4096');
});

test('the overlays: mouse areas, element bounds and the overflow view', async () => {
  const pixelAt = (x, y) => canvas.evaluate((c, [x, y]) => Array.from(c.getContext('2d').getImageData(x, y, 1, 1).data.slice(0, 3)), [x, y]);
  await page.mouse.move(0, 0);  // no hover highlight
  await eventually(async () => !(await getState()).model.moving, 'the lever at rest');
  await page.waitForTimeout(150);
  // The top edge of area 2 (box top row 86) in the middle of the area's width.
  const g = await geometry();
  const edge = [20 * g.scale, 86 * g.scale + 1];
  const plain = await pixelAt(...edge);
  await page.locator('#toggle-areas').check();
  await eventually(async () => JSON.stringify(await pixelAt(...edge)) === JSON.stringify([255, 200, 0]), 'area 2 outlined in yellow');
  await page.locator('#toggle-areas').uncheck();
  await eventually(async () => JSON.stringify(await pixelAt(...edge)) === JSON.stringify(plain), 'the outline gone');

  await page.locator('#toggle-bounds').check();
  // The pointer element's bounds are outlined (dashed) at their left edge.
  const pointer = (await getState()).frame.elements[3].bounds;
  const corner = [pointer.x * g.scale + 1, pointer.y * g.scale];
  await eventually(async () => JSON.stringify(await pixelAt(...corner)) === JSON.stringify([240, 107, 208]), 'the pointer bounds outlined');
  await page.locator('#toggle-bounds').uncheck();

  await page.locator('#toggle-overflow').check();
  // The handle reaches past the gauge's right edge: the overflow view is wider and outlines the extent.
  await eventually(async () => (await canvas.boundingBox()).width > 74 * 4, 'the canvas wider than the gauge');
  const og = await geometry();
  check(og.originX >= 1 && og.originY >= 1, `origin ${og.originX},${og.originY}`);
  const outline = await pixelAt((og.originX - 1) * og.scale + 1, (og.originY + 100) * og.scale + 1);
  check(JSON.stringify(outline) === JSON.stringify([255, 0, 255]), `extent outline pixel is ${outline}`);
  await page.screenshot(SCREENSHOT_DIR ? { path: `${SCREENSHOT_DIR}/overflow.png` } : {});
  await page.locator('#toggle-overflow').uncheck();
  await eventually(async () => (await canvas.boundingBox()).width === 74 * 4, 'the canvas back to the gauge');
});

test('changing 318 moves the pointer on the screen', async () => {
  const before = await screenshotPixels('before-318');
  const from = (await getState()).frame.elements[3].bounds;
  const input = page.locator('#var-318-number');
  await input.fill('16384');
  await input.press('Enter');
  await eventually(async () => (await getState()).variables['318'] === 16384, '318 at 16384');
  const to = await eventually(async () => {
    const b = (await getState()).frame.elements[3].bounds;
    return b.y !== from.y && b;
  }, 'the pointer placed elsewhere');
  check(to.y - from.y === 35, `pointer moved ${to.y - from.y} rows, want 35 (+16384 x scale)`);
  await page.waitForTimeout(200);
  const after = await screenshotPixels('after-318');
  // Right of the strip's window only the pointer changes; it left its old place and shows at the new one.
  const changed = new Set();
  for (let y = 0; y < 178; y++)
    for (let x = 51; x <= 73; x++)
      if (JSON.stringify(before[y][x]) !== JSON.stringify(after[y][x])) changed.add(y);
  const rows = [...changed];
  check(rows.length > 0, 'nothing changed on the screen');
  check(rows.every((y) => (y >= from.y && y < from.y + from.height) || (y >= to.y && y < to.y + to.height)),
        `rows outside the pointer changed: ${rows.filter((y) => y < from.y || y >= to.y + to.height)}`);
  check(rows.some((y) => y >= from.y && y < from.y + from.height), 'the pointer still shows at its old place');
  check(rows.some((y) => y >= to.y && y < to.y + to.height), 'the pointer does not show at its new place');
  await page.locator('#var-318').evaluate((slider) => { slider.value = '0'; slider.dispatchEvent(new Event('input')); });
  await eventually(async () => (await getState()).variables['318'] === 0, '318 back at 0 from the slider');
});

test('pause, single step and run', async () => {
  await page.locator('#run').click();
  await eventually(async () => (await page.locator('#status').innerText()) === 'paused', 'paused');
  const t0 = (await getState()).time;
  await page.waitForTimeout(300);
  check((await getState()).time === t0, 'time went on while paused');
  await page.locator('#step').click();
  await eventually(async () => Math.abs((await getState()).time - t0 - 1 / 18) < 1e-9, 'one frame later');
  await page.locator('#run').click();
  await eventually(async () => (await getState()).time > t0 + 0.2, 'running again');
});

test('no page errors, failed requests or requests elsewhere', async () => {
  if (SCREENSHOT_DIR) await page.screenshot({ path: `${SCREENSHOT_DIR}/page.png`, fullPage: true });
  check(problems.length === 0, problems.join('\n'));
});

const failed = await run('browser');
await close();
process.exit(failed ? 1 : 0);
