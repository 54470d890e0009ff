// Opens pages written by `tavro-cli publish --html5` in headless Chromium. The page is served from
// a made-up origin by the browser driver; any other request is refused and recorded, so a check
// sees at once when a page reaches for the network or a file beside it.
import { readFileSync } from "node:fs";
import { PNG } from "pngjs";
import { ORIGIN } from "./player.mjs";

// Opens `pagePath` in a new browser context whose viewport is `width` x `height` pixels.
// `autoplay: false` keeps the page's frame clock still (the frames advance by `step`);
// `javaScript: false` shows what a browser without scripts shows. Every GetURL request of the
// page is recorded in window.tavroRequests (through the page's "tavro-geturl" event, which is
// left uncancelled) and every window.open call in window.openedUrls (window.open records
// instead of opening).
export async function openHtml5(browser, pagePath, width, height, { autoplay = false, javaScript = true } = {}) {
  const context = await browser.newContext({
    viewport: { width, height }, deviceScaleFactor: 1, javaScriptEnabled: javaScript,
  });
  const page = await context.newPage();
  const errors = [];
  const outside = [];
  page.on("pageerror", (e) => errors.push(e.message));
  const body = readFileSync(pagePath);
  await page.route("**/*", async (route) => {
    const url = route.request().url();
    if (url === `${ORIGIN}/page.html`) return route.fulfill({ status: 200, body, contentType: "text/html" });
    outside.push(url);
    return route.abort("blockedbyclient");
  });
  await page.addInitScript((autoplay) => {
    window.tavroOptions = { autoplay };
    window.tavroRequests = [];
    window.openedUrls = [];
    document.addEventListener("tavro-geturl", (e) => {
      window.tavroRequests.push({ url: e.detail.url, target: e.detail.target });
    });
    window.open = (url, target) => {
      window.openedUrls.push({ url: String(url), target: target === undefined ? "" : String(target) });
      return null;
    };
  }, autoplay);
  await page.goto(`${ORIGIN}/page.html`);
  if (javaScript) await page.waitForFunction(() => document.getElementById("tavro-stage").tavro !== undefined, null, { timeout: 20000 });
  return { context, page, errors, outside };
}

export async function screenshot(page, width, height) {
  return page.screenshot({ clip: { x: 0, y: 0, width, height } });
}

// The page's frame clock, one frame at a time.
export async function step(page, count = 1) {
  await page.evaluate((n) => {
    for (let i = 0; i < n; i++) document.getElementById("tavro-stage").tavro.step();
  }, count);
}

export async function frameOf(page) {
  return page.evaluate(() => document.getElementById("tavro-stage").tavro.frame);
}

// Presses and releases the mouse at stage pixel (x, y), at the pixel's centre, where Tavro's
// player tests a pixel; the pointer first moves there, so buttons see it arrive.
export async function click(page, x, y) {
  await page.mouse.move(x + 0.5, y + 0.5);
  await page.mouse.down();
  await page.mouse.up();
}

export async function requests(page) {
  return page.evaluate(() => ({ events: window.tavroRequests.slice(), opened: window.openedUrls.slice() }));
}

// Pixels of `theirs` whose colour lies more than `tolerance` outside the range of colours that
// `ours` has in the pixel's 3 x 3 neighbourhood (in some channel): differences that an edge
// anti-aliased differently, or up to a pixel away, cannot explain, such as a missing, extra or
// misplaced object or a wrong colour. Both pictures are composited over white.
// Returns { count, at } (at: the first such pixel, or null).
export function solidDifferences(oursPng, theirsPng, tolerance = 64) {
  const ours = PNG.sync.read(oursPng);
  const theirs = PNG.sync.read(theirsPng);
  if (ours.width !== theirs.width || ours.height !== theirs.height) return { count: -1, at: null };
  const { width, height } = ours;
  const channel = (img, p, c) => {
    const a = img.data[4 * p + 3] / 255;
    return img.data[4 * p + c] * a + 255 * (1 - a);
  };
  let count = 0;
  let at = null;
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const p = y * width + x;
      let unlike = false;
      for (let c = 0; c < 3 && !unlike; c++) {
        let lo = 255, hi = 0;
        for (let ny = Math.max(0, y - 1); ny <= Math.min(height - 1, y + 1); ny++) {
          for (let nx = Math.max(0, x - 1); nx <= Math.min(width - 1, x + 1); nx++) {
            const v = channel(ours, ny * width + nx, c);
            lo = Math.min(lo, v);
            hi = Math.max(hi, v);
          }
        }
        const v = channel(theirs, p, c);
        unlike = v < lo - tolerance || v > hi + tolerance;
      }
      if (unlike) {
        count++;
        if (!at) at = { x, y };
      }
    }
  }
  return { count, at };
}
