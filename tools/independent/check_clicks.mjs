// Clicks through a movie's buttons with Tavro's player (`tavro-cli play --click ... --snapshot`)
// and with the independent web player (the mouse of the browser driver at the same stage pixels),
// and compares the pictures shown after the clicks and the GetURL requests the clicks made.
//
//   node check_clicks.mjs CLI MOVIE OUT_DIR SCRIPT... [--renderer canvas|webgl]
//
// MOVIE is an .swf movie or an .swi / .json document (exported with `CLI export` for the web
// player; our player plays the document itself). Each SCRIPT is NAME=X,Y+X,Y+... : the clicks in
// order, in stage pixels ("NAME=" clicks nothing). The movie must stand still between clicks
// (its frames stop), so that both pictures are of a settled movie: our player gets the clicks on
// frames 1, 3, 5, ... and plays one frame past the last; the web player's picture is taken once
// two screenshots in a row are equal, before the first click and after each one.
// OUT_DIR receives ours-NAME.png and theirs-NAME.png, and diff-NAME.png for a pair that differs.
// Prints one line per check (picture and requests of each script) and a closing
// "N passed, N failed" line; exit status 0 when all agree.
import { readFileSync, mkdirSync, writeFileSync } from "node:fs";
import { execFileSync } from "node:child_process";
import { join, extname } from "node:path";
import { launch, openMovie, restartMovie, clickStage, openedUrls, stableShot } from "./player.mjs";
import { comparePictures } from "./compare.mjs";

const args = process.argv.slice(2);
let renderer = "canvas";
const at = args.indexOf("--renderer");
if (at >= 0) [, renderer] = args.splice(at, 2);
const [cli, moviePath, outDir, ...scriptArgs] = args;
const scripts = scriptArgs.map((text) => {
  const m = /^([A-Za-z0-9_]+)=((?:\d+,\d+)(?:\+\d+,\d+)*)?$/.exec(text);
  if (!m) return null;
  const clicks = m[2] ? m[2].split("+").map((p) => p.split(",").map(Number)) : [];
  return { name: m[1], clicks };
});
if (!cli || !moviePath || !outDir || scripts.length === 0 || scripts.includes(null)) {
  console.error("usage: node check_clicks.mjs CLI MOVIE OUT_DIR NAME=X,Y+X,Y... [--renderer canvas|webgl]");
  process.exit(2);
}
mkdirSync(outDir, { recursive: true });

function run(...cliArgs) {
  return execFileSync(cli, cliArgs, { stdio: ["ignore", "pipe", "inherit"], timeout: 60000 }).toString();
}

let swfPath = moviePath;
if (extname(moviePath) !== ".swf") {
  swfPath = join(outDir, "movie.swf");
  run("export", moviePath, "-o", swfPath);
}
const movie = readFileSync(swfPath);

// Our side: the picture after the clicks, and the GetURL lines of the run as { url, target }.
function ours(script) {
  const picture = join(outDir, `ours-${script.name}.png`);
  const cliArgs = ["play", moviePath, "--frames", String(2 * script.clicks.length + 2), "--snapshot", picture];
  script.clicks.forEach(([x, y], k) => cliArgs.push("--click", `${x},${y}@${2 * k + 1}`));
  const requests = run(...cliArgs).split("\n").map((line) => line.split("\t"))
    .filter((f) => f[1] === "GetURL").map((f) => ({ url: f[2] ?? "", target: f[3] ?? "" }));
  return { picture: readFileSync(picture), requests };
}

// The web player's side, in one page whose movie is restarted for each script.
const theirs = new Map();
const errors = [];
const browser = await launch();
try {
  const { context, page, width, height } = await openMovie(browser, movie, { renderer });
  const clip = { x: 0, y: 0, width, height };
  try {
    for (const [k, script] of scripts.entries()) {
      try {
        if (k > 0) await restartMovie(page);
        await stableShot(page, clip, 400, 30000);
        for (const [x, y] of script.clicks) {
          await clickStage(page, x, y);
          await stableShot(page, clip, 300, 30000);
        }
        const picture = await stableShot(page, clip, 0, 30000);
        theirs.set(script.name, { picture, requests: await openedUrls(page) });
      } catch (e) {
        errors.push(`${script.name}: ${e.message}`);
      }
    }
  } finally {
    await context.close();
  }
} finally {
  await browser.close();
}

let passed = 0;
let failed = 0;
function report(ok, line) {
  if (ok) passed++;
  else failed++;
  console.log(`${ok ? "" : "FAIL "}${line}`);
}
const clicksText = (s) => (s.clicks.length ? s.clicks.map(([x, y]) => `(${x},${y})`).join(" then ") : "no click");
for (const e of errors) report(false, e);
for (const script of scripts) {
  const their = theirs.get(script.name);
  if (!their) continue;
  let our;
  try {
    our = ours(script);
  } catch (e) {
    report(false, `${script.name}: tavro-cli play failed (${e.message})`);
    continue;
  }
  const oursPath = join(outDir, `ours-${script.name}.png`);
  const theirsPath = join(outDir, `theirs-${script.name}.png`);
  const diffPath = join(outDir, `diff-${script.name}.png`);
  writeFileSync(theirsPath, their.picture);
  const result = comparePictures(our.picture, their.picture);
  if (result.ok) {
    report(true, `${script.name}, ${clicksText(script)}: pictures agree: ${result.summary}`);
  } else {
    if (result.diff) writeFileSync(diffPath, result.diff);
    report(false, `${script.name}, ${clicksText(script)}: pictures differ: ${result.summary}\n` +
      `  ours:   ${oursPath}\n  theirs: ${theirsPath}` + (result.diff ? `\n  diff:   ${diffPath}` : ""));
  }
  const a = JSON.stringify(our.requests);
  const b = JSON.stringify(their.requests);
  report(a === b, `${script.name}: requests ${a === b ? "agree" : "differ"}: ours ${a}` + (a === b ? "" : `, theirs ${b}`));
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
