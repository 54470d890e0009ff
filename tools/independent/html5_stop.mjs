// A movie whose frame event stops it (tests/html5/stop_at_frame.json: a text slides in and a
// Stop runs on frame 5) keeps showing that frame in its web page, with the page's own clock
// running at the movie's rate.
//
//   node html5_stop.mjs CLI MOVIE OUT_DIR
//
// The page plays for twice as many frame periods as the movie has frames; it must then be on the
// frame whose event stops it, report that it is not playing, and show what Tavro's player shows
// after as many frames (`tavro-cli render --frame N`, which stays on that frame too). The frame
// before the stop must look different, so that standing still is visible; told to play, the
// page goes on. Prints one line per check and a closing "N passed, N failed" line.
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { launch } from "./player.mjs";
import { openHtml5, screenshot, frameOf, solidDifferences } from "./html5.mjs";
import { runner, publishPage, checker, comparePage } from "./html5_common.mjs";

const [cli, moviePath, outDir] = process.argv.slice(2);
if (!cli || !moviePath || !outDir) {
  console.error("usage: node html5_stop.mjs CLI MOVIE OUT_DIR");
  process.exit(2);
}
const run = runner();
const { swfPath, pagePath, header } = publishPage(run, cli, moviePath, outDir);
const { width, height, frameCount } = header;

// The frame the movie's Stop holds: the first frame of the timeline holding a DoAction tag.
const info = run(cli, "info", swfPath).split("\n");
const stopLine = info.find((line) => /\bDoAction\b.*Stop/.test(line));
const stopFrame = stopLine ? Number(stopLine.trim().split(/\s+/)[0]) : -1;

const { check, finish } = checker();
check(stopFrame > 0 && stopFrame < frameCount - 1, `the movie stops on frame ${stopFrame} of ${frameCount}`);

const periodMs = 1000 / header.rate;
const browser = await launch();
try {
  const { context, page, errors, outside } = await openHtml5(browser, pagePath, width, height, { autoplay: true });
  await page.waitForTimeout(Math.ceil(2 * frameCount * periodMs));
  const frame = await frameOf(page);
  const playing = await page.evaluate(() => document.getElementById("tavro-stage").tavro.playing);
  check(frame === stopFrame && !playing, `after ${2 * frameCount} frame periods the page is on frame ${frame}, ${playing ? "playing" : "stopped"}`);
  const shot = await screenshot(page, width, height);
  writeFileSync(join(outDir, "page.png"), shot);
  const later = join(outDir, "ours-later.png");
  run(cli, "render", swfPath, "--frame", String(frameCount + 3), "-o", later);
  const result = comparePage(readFileSync(later), shot);
  check(result.ok, `the page shows what our player shows ${frameCount + 3} frames on: ${result.summary}`);
  // Standing still is visible: the frame before the stop looks different, and the page moves
  // on once it is told to play.
  const before = join(outDir, `ours-${stopFrame - 1}.png`);
  run(cli, "render", swfPath, "--frame", String(stopFrame - 1), "-o", before);
  const moved = solidDifferences(readFileSync(before), shot);
  check(moved.count > 0, `frame ${stopFrame - 1} looks different: ${moved.count} pixels unlike any near them`);
  await page.evaluate(() => document.getElementById("tavro-stage").tavro.play());
  await page.waitForTimeout(Math.ceil(4 * periodMs));
  const after = await frameOf(page);
  check(after > stopFrame, `told to play, the page goes on to frame ${after}`);
  check(errors.length === 0 && outside.length === 0, `script errors ${JSON.stringify(errors)}, requests outside the page ${JSON.stringify(outside)}`);
  await context.close();
} finally {
  await browser.close();
}
finish();
