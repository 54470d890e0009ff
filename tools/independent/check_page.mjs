// Publishes a movie with `tavro-cli publish` and opens the page in headless Chromium with the
// independent web player's polyfill script added, which replaces the page's OBJECT / EMBED with
// its own player. Checks that the player appears at the size the page gives, centred as the page
// centres it, and that what it shows agrees with our player's frames.
//
//   node check_page.mjs CLI MOVIE OUT_DIR
//
// Prints one line per check and a closing "N passed, N failed" line.
import { readFileSync, writeFileSync, mkdirSync } from "node:fs";
import { execFileSync } from "node:child_process";
import { join } from "node:path";
import { readHeader } from "./swf.mjs";
import { PNG } from "pngjs";
import { launch, openPage, playerConfig, ORIGIN } from "./player.mjs";
import { comparePictures } from "./compare.mjs";

const [cli, moviePath, outDir] = process.argv.slice(2);
if (!cli || !moviePath || !outDir) {
  console.error("usage: node check_page.mjs CLI MOVIE OUT_DIR");
  process.exit(2);
}
mkdirSync(outDir, { recursive: true });
const pagePath = join(outDir, "page.html");
const moviePathOut = join(outDir, "page.swf");
execFileSync(cli, ["publish", moviePath, "-o", pagePath], { stdio: "inherit", timeout: 60000 });

let passed = 0;
let failed = 0;
function check(what, ok, detail) {
  if (ok) passed++;
  else failed++;
  console.log(`${ok ? "ok" : "FAIL"} ${what}${detail ? `: ${detail}` : ""}`);
}

const html = readFileSync(pagePath, "latin1");
const header = readHeader(readFileSync(moviePathOut));
// The size the page gives the movie: the OBJECT's and the EMBED's WIDTH and HEIGHT.
const sizes = [...html.matchAll(/WIDTH=(\d+)\s+HEIGHT=(\d+)/g)].map((m) => [Number(m[1]), Number(m[2])]);
check("page gives OBJECT and EMBED one size, the movie's", sizes.length === 2 &&
  sizes.every(([w, h]) => w === header.width && h === header.height), JSON.stringify(sizes));
const [width, height] = sizes[0] ?? [header.width, header.height];

// Our pictures of the first frames (a looping movie shows only these), and which of them show
// nothing but the background.
const ours = [];
for (let frame = 0; frame < Math.min(header.frameCount, 24); frame++) {
  const path = join(outDir, `ours-${frame}.png`);
  execFileSync(cli, ["render", moviePath, "--frame", String(frame), "-o", path], { stdio: "inherit", timeout: 60000 });
  ours.push(readFileSync(path));
}
const blank = ours.map((png) => {
  const { data } = PNG.sync.read(png);
  for (let i = 4; i < data.length; i += 4)
    if (data[i] !== data[0] || data[i + 1] !== data[1] || data[i + 2] !== data[2]) return false;
  return true;
});

// The page is served as written, with the player's script added at the end of its head; the
// settings keep the player from showing its own splash, overlays and menus.
const served = html.replace(/<\/head>/i, `<script src="${ORIGIN}/player/ruffle.js"></script></head>`);
check("page has a head for the player script", served !== html);
const viewport = { width: width + 200, height: height + 100 };
const browser = await launch();
try {
  const { context, page } = await openPage(browser, {
    "/page.html": { body: Buffer.from(served, "latin1"), type: "text/html" },
    "/page.swf": moviePathOut,
  }, viewport.width, viewport.height);
  const config = { ...playerConfig("canvas"), scale: "showAll", salign: "", forceScale: false, forceAlign: false };
  await page.addInitScript((c) => {
    window.RufflePlayer = window.RufflePlayer || {};
    window.RufflePlayer.config = c;
  }, config);
  await page.goto(`${ORIGIN}/page.html`);
  const player = await page.waitForSelector("ruffle-player, ruffle-object, ruffle-embed", { timeout: 20000 })
    .catch(() => null);
  check("the player replaced the page's OBJECT / EMBED", !!player);
  if (player) {
    const box = await player.boundingBox();
    check(`player box is ${width}x${height}`, box && box.width === width && box.height === height,
      box && `${box.width}x${box.height} at (${box.x},${box.y})`);
    check("player box is centred", box && Math.abs(box.x - (viewport.width - width) / 2) <= 1,
      box && `left edge at ${box.x}, page width ${viewport.width}`);
    // The page plays the movie on (and loops it), so pictures are taken for a while and each
    // must agree with one of our frames, and at least one must show more than the background.
    const clip = { x: Math.round(box.x), y: Math.round(box.y), width, height };
    await page.waitForTimeout(1000);
    const seen = new Map();
    let unmatched = null;
    for (let shot = 0; shot < 16 && !unmatched; shot++) {
      const png = await page.screenshot({ clip });
      const results = ours.map((o) => comparePictures(o, png));
      const k = results.reduce((best, r, i) => (r.differing < results[best].differing ? i : best), 0);
      const best = { k, result: results[k] };
      if (best.result.ok) seen.set(best.k, (seen.get(best.k) ?? 0) + 1);
      else unmatched = { png, best };
      await page.waitForTimeout(30);
    }
    if (unmatched) {
      const theirsPath = join(outDir, "theirs.png");
      const diffPath = join(outDir, `diff-${unmatched.best.k}.png`);
      writeFileSync(theirsPath, unmatched.png);
      if (unmatched.best.result.diff) writeFileSync(diffPath, unmatched.best.result.diff);
      check("every picture on the page is one of the movie's frames", false,
        `closest is frame ${unmatched.best.k}: ${unmatched.best.result.summary}\n  ours: ` +
        `${join(outDir, `ours-${unmatched.best.k}.png`)}\n  theirs: ${theirsPath}\n  diff: ${diffPath}`);
    } else {
      check("every picture on the page is one of the movie's frames", true,
        [...seen].map(([k, n]) => `frame ${k} ${n}x`).join(", "));
    }
    check("the movie's content is shown", [...seen.keys()].some((k) => !blank[k]),
      `frames with more than the background: ${blank.map((b, k) => (b ? null : k)).filter((k) => k !== null)}`);
    await page.screenshot({ path: join(outDir, "page.png") });
  }
  await context.close();
} finally {
  await browser.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
