// Compares every frame of a movie's web page (`tavro-cli publish --html5`) in headless Chromium
// with the same frame from Tavro's player.
//
//   node html5_frames.mjs CLI PLAYER MOVIE OUT_DIR
//
// MOVIE is a document (.swi, .json) or an SWF movie. Frame N of the page is the picture after
// the page has loaded with its clock still and taken N steps of its frame clock, for every frame
// and one step more (which loops back to the first frame, or stays); frame N of the player is what `tavro-cli render MOVIE --frame N` writes. PLAYER (tests/html5_player.cpp)
// writes all of the player's frames in one run the same way (`PLAYER frames`); the first,
// middle and last of them are checked to be byte for byte what tavro-cli render writes.
// Pictures agree as compare.mjs says (64 levels, 0.5 % of the pixels, mean 1.5), and no pixel of
// the page may be unlike every pixel near it in ours (html5.mjs, solidDifferences). Besides, the
// page must show frame 0 in a window of another shape as our player does (show all), and
// without scripts, ask for nothing outside itself and report no script error. Prints one line
// per check, the largest differences met and a closing "N passed, N failed" line.
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { launch } from "./player.mjs";
import { comparePictures } from "./compare.mjs";
import { openHtml5, screenshot, step, frameOf } from "./html5.mjs";
import { runner, publishPage, checker, comparePage } from "./html5_common.mjs";

const [cli, player, moviePath, outDir] = process.argv.slice(2);
if (!cli || !player || !moviePath || !outDir) {
  console.error("usage: node html5_frames.mjs CLI PLAYER MOVIE OUT_DIR");
  process.exit(2);
}
const run = runner(300000);
const { swfPath, pagePath, header: { width, height } } = publishPage(run, cli, moviePath, outDir);
const { check, finish } = checker();

// The page's frame count is the timeline's; the player's frames are made up to its last.
const browser = await launch();
const worst = { differing: 0, frame: -1, meanGap: 0, gapFrame: -1, solid: 0 };
try {
  const { context, page, errors, outside } = await openHtml5(browser, pagePath, width, height);
  const frameCount = await page.evaluate(() => document.getElementById("tavro-stage").tavro.frameCount);
  const last = frameCount - 1;
  // One frame past the last as well: the movie loops back to its first frame, or stays.
  run(player, "frames", swfPath, outDir, String(last + 1));
  for (const f of [...new Set([0, Math.floor(last / 2), last])]) {
    const cliPng = join(outDir, `cli-${f}.png`);
    run(cli, "render", swfPath, "--frame", String(f), "-o", cliPng);
    check(readFileSync(cliPng).equals(readFileSync(join(outDir, `ours-${f}.png`))),
      `frame ${f}: the one-run pictures are tavro-cli render's`);
  }
  console.log(`${moviePath}: ${width}x${height} pixels, ${frameCount} frames`);
  for (let f = 0; f <= last + 1; f++) {
    if (f > 0) await step(page);
    const shot = await screenshot(page, width, height);
    const result = comparePage(readFileSync(join(outDir, `ours-${f}.png`)), shot);
    if (result.solid.count > worst.solid) worst.solid = result.solid.count;
    if (result.differing > worst.differing) Object.assign(worst, { differing: result.differing, frame: f });
    if (result.meanGap > worst.meanGap) Object.assign(worst, { meanGap: result.meanGap, gapFrame: f });
    if (!result.ok) {
      writeFileSync(join(outDir, `page-${f}.png`), shot);
      if (result.diff) writeFileSync(join(outDir, `diff-${f}.png`), result.diff);
    }
    const name = f > last ? `step ${f}, past the last frame` : `frame ${f}`;
    check(result.ok, `${name} (page at frame ${await frameOf(page)}): ${result.ok ? "agree" : "DIFFER"}: ${result.summary}`);
  }
  check(errors.length === 0, `script errors: ${errors.length ? errors.join("; ") : "none"}`);
  check(outside.length === 0, `requests outside the page: ${outside.length ? outside.join(" ") : "none"}`);
  await context.close();

  // In a window of another shape the stage fills it keeping its aspect, centred, as our player
  // shows it in such a window.
  const [bigW, bigH] = [Math.round((width * 3) / 2), Math.round((height * 5) / 4)];
  const wide = await openHtml5(browser, pagePath, bigW, bigH);
  const wideShot = await screenshot(wide.page, bigW, bigH);
  const widePng = join(outDir, "ours-0-wide.png");
  run(cli, "render", swfPath, "--width", String(bigW), "--height", String(bigH), "-o", widePng);
  const wideResult = comparePage(readFileSync(widePng), wideShot);
  if (!wideResult.ok) writeFileSync(join(outDir, "page-0-wide.png"), wideShot);
  check(wideResult.ok, `frame 0 in a ${bigW}x${bigH} window (show all): ${wideResult.summary}`);
  await wide.context.close();

  // Without scripts the page is the still picture of frame 0.
  const still = await openHtml5(browser, pagePath, width, height, { javaScript: false });
  const shot = await screenshot(still.page, width, height);
  const result = comparePictures(readFileSync(join(outDir, "ours-0.png")), shot);
  if (!result.ok) writeFileSync(join(outDir, "page-noscript.png"), shot);
  check(result.ok, `without scripts the page shows frame 0: ${result.summary}`);
  await still.context.close();
} finally {
  await browser.close();
}
console.log(`largest share of differing pixels: ${worst.differing} of ${width * height} ` +
  `(${((100 * worst.differing) / (width * height)).toFixed(3)} %, frame ${worst.frame}); ` +
  `largest mean colour gap ${worst.meanGap.toFixed(2)} (frame ${worst.gapFrame}); ` +
  `most pixels unlike their neighbourhood ${worst.solid}`);
finish();
