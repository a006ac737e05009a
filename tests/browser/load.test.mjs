// Several clients at once for a bounded time: each clicks the arm-toggle area
// (one key event per click) and polls the state, as pages do. No request may
// fail, the viewer must stay up, and it must count exactly the clicks sent.
import { check, getState, run, test, viewUrl } from './harness.mjs';

const CLIENTS = Number(process.env.LOAD_CLIENTS || 6);
const SECONDS = Number(process.env.LOAD_SECONDS || 8);

async function postJson(path, body) {
  const response = await fetch(new URL(path, viewUrl), {
    method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body),
  });
  const data = await response.json();
  if (response.status !== 200) throw new Error(`POST ${path}: ${response.status} ${data.error}`);
  return data;
}

async function client(id, until) {
  let clicks = 0;
  let polls = 0;
  let since = 1;
  while (Date.now() < until) {
    // Half the clients click by area, half by pixel, like the page's two ways.
    const outcome = id % 2 ? await postJson('api/click-area', { index: 1 }) : await postJson('api/click', { x: 5 + id, y: 10 });
    check(outcome.hit && outcome.area === 1 && outcome.events.length === 1 &&
          outcome.events[0].name === 'SpeedBrakeArmToggleEvent', `client ${id}: unexpected outcome ${JSON.stringify(outcome)}`);
    clicks++;
    const response = await fetch(new URL(`api/state?since=${since}&have=x&overflow=${polls % 2}`, viewUrl));
    const state = await response.json();
    if (response.status !== 200) throw new Error(`GET api/state: ${response.status} ${state.error}`);
    check(state.error === '', `client ${id}: the session reports ${state.error}`);
    since = state.logNext;
    polls++;
  }
  return { clicks, polls };
}

test(`${CLIENTS} clients clicking and polling for ${SECONDS} s`, async () => {
  const before = await getState();
  const until = Date.now() + SECONDS * 1000;
  const results = await Promise.all(Array.from({ length: CLIENTS }, (_, id) => client(id, until)));
  const sent = results.reduce((sum, r) => sum + r.clicks, 0);
  const polls = results.reduce((sum, r) => sum + r.polls, 0);
  const after = await getState();
  console.log(`     ${sent} clicks and ${polls} polls from ${CLIENTS} clients`);
  check(sent > CLIENTS, `only ${sent} clicks went through`);
  check(after.clicks - before.clicks === sent, `the viewer counted ${after.clicks - before.clicks} clicks, ${sent} were sent`);
  check(after.keyEvents - before.keyEvents === sent,
        `the gauge sent ${after.keyEvents - before.keyEvents} key events for ${sent} clicks`);
  const flips = Math.abs(after.variables['324'] - before.variables['324']);
  check(flips === sent % 2, `324 went from ${before.variables['324']} to ${after.variables['324']} after ${sent} toggles`);
  check(after.error === '' && after.loadCount === before.loadCount, 'the session faulted or reloaded');
  const page = await fetch(viewUrl);
  check(page.status === 200, `the page answers ${page.status} afterwards`);
});

const failed = await run('load', { timeoutMs: (SECONDS + 30) * 1000 });
process.exit(failed ? 1 : 0);
