// Clicks through a movie's buttons in its web page (`tavro-cli publish --html5`) in headless
// Chromium and with Tavro's player (`tavro-cli play --click ... --snapshot`), and compares the
// pictures shown afterwards and the GetURL requests the clicks made.
//
//   node html5_clicks.mjs CLI MOVIE OUT_DIR NAME=X,Y+X,Y...
//
// Each script NAME=X,Y+X,Y+... gives the clicks in order, in stage pixels ("NAME=" clicks
// nothing). Both sides play the same frames: our player gets the clicks on frames 1, 3, 5, ...
// and plays one frame past the last (2n + 2 frames for n clicks); the page, opened with its
// clock still, takes the same frame steps and gets each click after the step of its frame. The
// page's requests are those of its "tavro-geturl" event; the windows it opens (window.open,
// recorded instead of opening) must be the same requests, an empty target meaning "_self".
// A script whose name begins with "keyboard_" has the page's clicks made with the keyboard
// instead (Tab to the link, Enter), for links; our player still clicks at the given pixels.
// Pictures must agree as in html5_frames.mjs. Prints one line per check and a closing
// "N passed, N failed" line.
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { launch } from "./player.mjs";
import { openHtml5, screenshot, step, click, requests } from "./html5.mjs";
import { runner, publishPage, checker, comparePage } from "./html5_common.mjs";

const [cli, moviePath, outDir, ...scriptArgs] = process.argv.slice(2);
const scripts = scriptArgs.map((text) => {
  const m = /^([A-Za-z0-9_]+)=((?:\d+,\d+)(?:\+\d+,\d+)*)?$/.exec(text);
  if (!m) return null;
  return {
    name: m[1], keyboard: m[1].startsWith("keyboard_"),
    clicks: m[2] ? m[2].split("+").map((p) => p.split(",").map(Number)) : [],
  };
});
if (!cli || !moviePath || !outDir || scripts.length === 0 || scripts.includes(null)) {
  console.error("usage: node html5_clicks.mjs CLI MOVIE OUT_DIR NAME=X,Y+X,Y...");
  process.exit(2);
}
const run = runner();
const { pagePath, header: { width, height } } = publishPage(run, cli, moviePath, outDir);
const { check, finish } = checker();

// Our player: the picture after the clicks and the GetURL lines of the run.
function ours(script) {
  const picture = join(outDir, `ours-${script.name}.png`);
  const args = ["play", moviePath, "--frames", String(2 * script.clicks.length + 2), "--snapshot", picture];
  script.clicks.forEach(([x, y], k) => args.push("--click", `${x},${y}@${2 * k + 1}`));
  const list = run(cli, ...args).split("\n").map((line) => line.split("\t"))
    .filter((f) => f[1] === "GetURL").map((f) => ({ url: f[2] ?? "", target: f[3] ?? "" }));
  return { picture: readFileSync(picture), requests: list };
}

const browser = await launch();
try {
  for (const script of scripts) {
    const { context, page, errors, outside } = await openHtml5(browser, pagePath, width, height);
    const frames = 2 * script.clicks.length + 2;
    for (let frame = 1; frame <= frames; frame++) {
      await step(page);
      const k = (frame - 1) / 2;
      if (Number.isInteger(k) && k < script.clicks.length) {
        if (script.keyboard) {
          // Tab to the link, Enter on it: the release of its button.
          await page.keyboard.press("Tab");
          await page.keyboard.press("Enter");
        } else {
          await click(page, ...script.clicks[k]);
        }
      }
    }
    const shot = await screenshot(page, width, height);
    const theirs = await requests(page);
    await context.close();
    const our = ours(script);

    const result = comparePage(our.picture, shot);
    const ok = result.ok;
    if (!ok) {
      writeFileSync(join(outDir, `page-${script.name}.png`), shot);
      if (result.diff) writeFileSync(join(outDir, `diff-${script.name}.png`), result.diff);
    }
    const clicks = script.clicks.map(([x, y]) => `(${x},${y})`).join(" then ") || "no click";
    check(ok, `${script.name}, ${clicks}: pictures ${ok ? "agree" : "DIFFER"}: ${result.summary}`);
    const a = JSON.stringify(our.requests);
    const b = JSON.stringify(theirs.events);
    check(a === b, `${script.name}: requests ${a === b ? "agree" : "differ"}: ours ${a}` + (a === b ? "" : `, page ${b}`));
    const opened = JSON.stringify(our.requests.map((r) => ({ url: r.url, target: r.target || "_self" })));
    const c = JSON.stringify(theirs.opened);
    check(opened === c, `${script.name}: the page opens ${c}`);
    check(errors.length === 0 && outside.length === 0,
      `${script.name}: script errors ${JSON.stringify(errors)}, requests outside the page ${JSON.stringify(outside)}`);
  }
} finally {
  await browser.close();
}
finish();
