// Renders frames of a movie with Tavro's player (`tavro-cli render`) and with the independent web
// player, and compares each pair.
//
//   node check_frames.mjs CLI MOVIE OUT_DIR FRAMES [--renderer canvas|webgl]
//
// MOVIE is an .swf movie or an .swi / .json document (exported with `CLI export` for the web
// player; our player renders the document itself, as the editor's Play does). FRAMES is "all",
// "ends" (the first, a middle and the last frame) or a comma-separated list. Frames are counted
// from 0; frame N is what our player shows after N frame ticks, which is frame N of the timeline
// as long as no earlier frame holds actions, so frames after the first frame action are left out.
// OUT_DIR receives ours-N.png and theirs-N.png, and diff-N.png for a pair that differs. Prints one
// line per frame and a closing "N passed, N failed" line; exit status 0 when all agree.
import { readFileSync, mkdirSync, writeFileSync } from "node:fs";
import { execFileSync } from "node:child_process";
import { join, extname } from "node:path";
import { readHeader, framesWithActions } from "./swf.mjs";
import { launch, renderFrames } from "./player.mjs";
import { comparePictures } from "./compare.mjs";

const args = process.argv.slice(2);
let renderer = "canvas";
const at = args.indexOf("--renderer");
if (at >= 0) [, renderer] = args.splice(at, 2);
const [cli, moviePath, outDir, which] = args;
if (!cli || !moviePath || !outDir || !which) {
  console.error("usage: node check_frames.mjs CLI MOVIE OUT_DIR all|ends|N,N,... [--renderer canvas|webgl]");
  process.exit(2);
}
mkdirSync(outDir, { recursive: true });

function run(...cliArgs) {
  execFileSync(cli, cliArgs, { stdio: ["ignore", "inherit", "inherit"], timeout: 60000 });
}

let swfPath = moviePath;
if (extname(moviePath) !== ".swf") {
  swfPath = join(outDir, "movie.swf");
  run("export", moviePath, "-o", swfPath);
}
const movie = readFileSync(swfPath);
const { frameCount, width, height } = readHeader(movie);
let frames;
if (which === "all") frames = [...Array(frameCount).keys()];
else if (which === "ends") frames = [...new Set([0, Math.floor((frameCount - 1) / 2), frameCount - 1])];
else frames = which.split(",").map(Number);
const firstAction = Math.min(...framesWithActions(movie));
const skipped = frames.filter((f) => f > firstAction);
frames = frames.filter((f) => f <= firstAction && f < frameCount);
if (skipped.length) console.log(`frames ${skipped} left out: frame ${firstAction} holds actions`);
console.log(`${moviePath}: ${width}x${height} pixels, ${frameCount} frames; checking ${frames.join(" ")}`);

let passed = 0;
let failed = 0;
const browser = await launch();
let theirs;
try {
  theirs = await renderFrames(browser, movie, frames, { renderer });
} finally {
  await browser.close();
}
for (const e of theirs.errors) console.log(`FAIL ${e}`);
frames.forEach((frame, k) => {
  const oursPath = join(outDir, `ours-${frame}.png`);
  const theirsPath = join(outDir, `theirs-${frame}.png`);
  const diffPath = join(outDir, `diff-${frame}.png`);
  if (!theirs.pictures[k]) {
    failed++;
    return;
  }
  writeFileSync(theirsPath, theirs.pictures[k]);
  try {
    run("render", moviePath, "--frame", String(frame), "-o", oursPath);
  } catch (e) {
    failed++;
    console.log(`FAIL frame ${frame}: tavro-cli render failed (${e.message})`);
    return;
  }
  const result = comparePictures(readFileSync(oursPath), theirs.pictures[k]);
  if (result.ok) {
    passed++;
    console.log(`frame ${frame}: agree: ${result.summary}`);
  } else {
    failed++;
    if (result.diff) writeFileSync(diffPath, result.diff);
    console.log(`FAIL frame ${frame}: ${result.summary}\n  ours:   ${oursPath}\n  theirs: ${theirsPath}` +
      (result.diff ? `\n  diff:   ${diffPath}` : ""));
  }
});
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && frames.length > 0 ? 0 : 1);
