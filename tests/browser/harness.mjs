// A small runner for the viewer's browser and load tests: named cases run in
// order, each timed, and a last line "RESULT passed=N failed=M" that
// scripts/test-browser.sh adds up.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

export const viewUrl = (() => {
  const url = process.env.VIEW_URL;
  if (!url) {
    console.error('VIEW_URL is not set: start `gaugebench view FILE --port 0` and pass its URL');
    process.exit(2);
  }
  return url.endsWith('/') ? url : url + '/';
})();

const cases = [];
export function test(name, fn) {
  cases.push({ name, fn });
}

export async function run(suite, { timeoutMs = 30000 } = {}) {
  let passed = 0;
  let failed = 0;
  for (const { name, fn } of cases) {
    const started = Date.now();
    let timer;
    try {
      await Promise.race([
        fn(),
        new Promise((_, reject) => { timer = setTimeout(() => reject(new Error(`timed out after ${timeoutMs} ms`)), timeoutMs); }),
      ]);
      passed++;
      console.log(`ok   ${suite}: ${name} (${Date.now() - started} ms)`);
    } catch (error) {
      failed++;
      console.log(`FAIL ${suite}: ${name} (${Date.now() - started} ms)\n     ${String(error && error.stack || error).split('\n').join('\n     ')}`);
    } finally {
      clearTimeout(timer);
    }
  }
  console.log(`RESULT passed=${passed} failed=${failed}`);
  return failed;
}

export function check(condition, message) {
  if (!condition) throw new Error(message);
}

// Polls `probe` until it returns a truthy value; returns that value.
export async function eventually(probe, what, timeoutMs = 5000) {
  const end = Date.now() + timeoutMs;
  let last;
  const started = Date.now();
  while (Date.now() < end) {
    last = await probe();
    if (last) {
      if (process.env.SLOW_WAITS && Date.now() - started > 1000) console.log(`     (${Date.now() - started} ms until ${what})`);
      return last;
    }
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  throw new Error(`still not ${what} after ${timeoutMs} ms (last: ${JSON.stringify(last)})`);
}

export async function getState() {
  const response = await fetch(new URL('api/state?since=999999999', viewUrl));
  if (!response.ok) throw new Error(`GET /api/state: ${response.status}`);
  return response.json();
}

// Debian's chromium, headless, with nothing reaching outside.
export async function launchChromium(chromium) {
  const profile = mkdtempSync(join(tmpdir(), 'gaugebench-view-chromium-'));
  // A persistent context is how Playwright takes a fresh, empty user-data-dir.
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    viewport: { width: 1280, height: 900 },
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
  });
  return {
    context,
    async close() {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}
