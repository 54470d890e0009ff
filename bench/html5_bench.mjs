// Size and speed of a movie's web page (`tavro-cli publish --html5`) in headless Chromium.
//
//   node bench/html5_bench.mjs CLI MOVIE [--runs N] [--seconds S]
//
// Needs the browser driver of the independent checks: run it through bench/html5_bench.sh, which
// finds the packages in the build tree (<build>/independent) and Debian's Chromium.
//
// Prints:
//  - size: the SWF movie and the page, raw and compressed with gzip -9;
//  - load: over N fresh pages opened from the file, the time from the start of navigation to the
//    end of parsing, to the first contentful paint (the still picture of frame 0), to the
//    script's first frame (the "tavro-ready" event) and to the first animation frame after it;
//    and, for comparison, the first contentful paint of a page holding one rectangle;
//  - play: the page playing on its own clock for S seconds, every frame the stage shows as seen
//    from requestAnimationFrame: the rate, the intervals, frames skipped (a frame number that
//    jumps by more than one) and frames late by more than one display refresh;
//  - script: the time one frame of the clock takes in the script (timeline, actions, SVG
//    updates), without drawing, over one pass through the movie.
import { execFileSync } from "node:child_process";
import { readFileSync, writeFileSync, mkdtempSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { gzipSync } from "node:zlib";

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const at = args.indexOf(name);
  return at >= 0 ? Number(args.splice(at, 2)[1]) : fallback;
};
const runs = option("--runs", 10);
const seconds = option("--seconds", 15);
const [cli, movie] = args;
if (!cli || !movie || !process.env.TAVRO_PACKAGES) {
  console.error("usage: TAVRO_PACKAGES=<build>/independent node bench/html5_bench.mjs CLI MOVIE [--runs N] [--seconds S]");
  process.exit(2);
}
const { chromium } = createRequire(join(process.env.TAVRO_PACKAGES, "package.json"))("playwright-core");

const work = mkdtempSync(join(tmpdir(), "tavro-html5-bench-"));
const swf = join(work, "movie.swf");
const pagePath = join(work, "page.html");
execFileSync(cli, ["export", movie, "-o", swf]);
execFileSync(cli, ["publish", movie, "-o", pagePath, "--html5"]);
const swfBytes = readFileSync(swf);
const pageBytes = readFileSync(pagePath);
const gz = (b) => gzipSync(b, { level: 9 }).length;
console.log(`size: movie ${swfBytes.length} bytes (gzip ${gz(swfBytes)}), page ${pageBytes.length} bytes ` +
  `(gzip ${gz(pageBytes)}); gzip page / gzip movie = ${(gz(pageBytes) / gz(swfBytes)).toFixed(2)}`);

const width = 550, height = 400;
const browser = await chromium.launch({
  executablePath: process.env.TAVRO_CHROMIUM || "/usr/bin/chromium",
  headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-dev-shm-usage",
         "--force-color-profile=srgb", "--disable-lcd-text", "--font-render-hinting=none"],
});
async function open(autoplay) {
  const context = await browser.newContext({ viewport: { width, height }, deviceScaleFactor: 1 });
  const page = await context.newPage();
  // The page is opened as the file it is; anything else it asked for would be refused.
  await page.route("**/*", (route) => route.request().url().startsWith("file://")
    ? route.continue()
    : route.abort("blockedbyclient"));
  await page.addInitScript((autoplay) => {
    window.tavroOptions = { autoplay };
    window.benchTimes = {};
    document.addEventListener("tavro-ready", () => {
      window.benchTimes.ready = performance.now();
      requestAnimationFrame(() => { window.benchTimes.firstFrame = performance.now(); });
    });
  }, autoplay);
  return { context, page };
}
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const fmt = (v) => v.toFixed(1);

try {
  // Load: fresh contexts, so nothing is cached between runs. The first page the browser opens
  // after its start pays for starting its renderer and reading fonts; it is shown apart.
  const fcp = [], ready = [], first = [], parsed = [];
  for (let i = -1; i < runs; i++) {
    const { context, page } = await open(false);
    await page.goto(`file://${pagePath}`);
    await page.waitForFunction(() => window.benchTimes.firstFrame !== undefined);
    const t = await page.evaluate(() => new Promise((resolve) => {
      new PerformanceObserver((list, observer) => {
        const entry = list.getEntriesByName("first-contentful-paint")[0];
        if (!entry) return;
        observer.disconnect();
        const nav = performance.getEntriesByType("navigation")[0];
        resolve({ fcp: entry.startTime, parsed: nav.domInteractive, ...window.benchTimes });
      }).observe({ type: "paint", buffered: true });
    }));
    await context.close();
    if (i < 0) {
      console.log(`load, first page of a freshly started browser (ms): page parsed ${fmt(t.parsed)}, ` +
        `first contentful paint ${fmt(t.fcp)}, script's first frame ${fmt(t.ready)}, next animation frame ${fmt(t.firstFrame)}`);
      continue;
    }
    fcp.push(t.fcp);
    parsed.push(t.parsed);
    ready.push(t.ready);
    first.push(t.firstFrame);
  }
  // The same for a page of one rectangle: what the browser needs for any page.
  const blank = join(work, "blank.html");
  writeFileSync(blank, '<!DOCTYPE html><html><body><svg width="550" height="400"><rect width="550" height="400" fill="#ffc"/></svg></body></html>');
  const floor = [];
  for (let i = 0; i < runs; i++) {
    const { context, page } = await open(false);
    await page.goto(`file://${blank}`);
    floor.push(await page.evaluate(() => new Promise((resolve) => {
      new PerformanceObserver((list) => {
        const entry = list.getEntriesByName("first-contentful-paint")[0];
        if (entry) resolve(entry.startTime);
      }).observe({ type: "paint", buffered: true });
    })));
    await context.close();
  }
  console.log(`load runs (ms): first contentful paint ${fcp.map(fmt).join(" ")}; script's first frame ` +
    `${ready.map(fmt).join(" ")}; next animation frame ${first.map(fmt).join(" ")}; ` +
    `a page of one rectangle: first contentful paint ${fmt(median(floor))} / ${fmt(Math.max(...floor))}`);
  console.log(`load (${runs} runs, ms from navigation start, median / worst): page parsed ` +
    `${fmt(median(parsed))} / ${fmt(Math.max(...parsed))}; first contentful paint ` +
    `${fmt(median(fcp))} / ${fmt(Math.max(...fcp))}; script's first frame ${fmt(median(ready))} / ` +
    `${fmt(Math.max(...ready))}; next animation frame ${fmt(median(first))} / ${fmt(Math.max(...first))}`);

  // Play: the page on its own clock; each animation frame notes the frame the stage shows.
  const { context, page } = await open(true);
  await page.goto(`file://${pagePath}`);
  const seen = await page.evaluate((ms) => new Promise((resolve) => {
    const stage = document.getElementById("tavro-stage");
    const out = [];
    let last = -1;
    const end = performance.now() + ms;
    function look(now) {
      const f = stage.tavro.frame;
      if (f !== last) {
        out.push([now, f]);
        last = f;
      }
      if (now < end) requestAnimationFrame(look);
      else resolve({ out, frameMs: JSON.parse(document.getElementById("tavro-movie").textContent).frameMs });
    }
    requestAnimationFrame(look);
  }), seconds * 1000);
  const { out, frameMs } = seen;
  const count = await page.evaluate(() => document.getElementById("tavro-stage").tavro.frameCount);
  const intervals = [];
  let skipped = 0, late = 0;
  const refresh = 1000 / 60;
  for (let i = 1; i < out.length; i++) {
    const dt = out[i][0] - out[i - 1][0];
    intervals.push(dt);
    const step = (out[i][1] - out[i - 1][1] + count) % count;
    if (step !== 1) skipped += step - 1;
    if (dt > frameMs + refresh + 1) late++;
  }
  const span = out[out.length - 1][0] - out[0][0];
  console.log(`play (${seconds} s, movie ${(1000 / frameMs).toFixed(2)} frames a second, frame period ${frameMs} ms): ` +
    `${out.length} frames shown, ${((1000 * (out.length - 1)) / span).toFixed(2)} frames a second; ` +
    `interval median ${fmt(median(intervals))} ms, min ${fmt(Math.min(...intervals))}, max ${fmt(Math.max(...intervals))}; ` +
    `${skipped} frames skipped, ${late} frames later than one refresh after their time`);

  // Script: one pass through the movie, clock paused, no drawing between steps.
  const script = await page.evaluate(() => {
    const stage = document.getElementById("tavro-stage");
    stage.tavro.pauseClock();
    const times = [];
    for (let i = 0; i < stage.tavro.frameCount; i++) {
      const t0 = performance.now();
      stage.tavro.step();
      times.push(performance.now() - t0);
    }
    times.sort((a, b) => a - b);
    return { median: times[Math.floor(times.length / 2)], max: times[times.length - 1], n: times.length };
  });
  console.log(`script (${script.n} frames): median ${script.median.toFixed(3)} ms a frame, max ${script.max.toFixed(3)} ms`);
  await context.close();
} finally {
  await browser.close();
  rmSync(work, { recursive: true, force: true });
}
