// Drives the independent web player in headless Chromium. Pages are served from a made-up origin
// whose every request is answered from local files by the browser driver, so nothing leaves the
// machine and no server is run; any other request is refused.
import { readFileSync, existsSync } from "node:fs";
import { dirname, join, extname } from "node:path";
import { createRequire } from "node:module";
import { chromium } from "playwright-core";
import { readHeader, stopAtFrame } from "./swf.mjs";

export const ORIGIN = "http://tavro-checks.invalid";
const require = createRequire(import.meta.url);
const playerDir = dirname(require.resolve("@ruffle-rs/ruffle/package.json"));
const types = {
  ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
  ".swf": "application/x-shockwave-flash", ".map": "application/json",
};

export function chromiumPath() {
  return process.env.TAVRO_CHROMIUM || "/usr/bin/chromium";
}

// Starts headless Chromium: no GPU, no sandbox (the checks run as root in CI), no network of its
// own, sRGB colours and grey-scale text anti-aliasing so that pictures repeat run after run.
export async function launch() {
  return chromium.launch({
    executablePath: chromiumPath(),
    headless: true,
    args: [
      "--no-sandbox", "--disable-gpu", "--disable-background-networking",
      "--disable-dev-shm-usage", "--autoplay-policy=no-user-gesture-required",
      "--force-color-profile=srgb", "--disable-lcd-text", "--font-render-hinting=none",
    ],
  });
}

// A page whose origin serves `files` (URL path -> file path or { body, type }) and the web
// player's own files under /player/.
export async function openPage(browser, files, width, height) {
  const context = await browser.newContext({ viewport: { width, height }, deviceScaleFactor: 1 });
  const page = await context.newPage();
  page.on("pageerror", (e) => console.error(`page error: ${e.message}`));
  await page.route("**/*", async (route) => {
    const url = new URL(route.request().url());
    if (url.origin !== ORIGIN) return route.abort("blockedbyclient");
    let entry = files[url.pathname];
    if (!entry && url.pathname.startsWith("/player/")) {
      const file = join(playerDir, url.pathname.slice("/player/".length));
      if (!file.startsWith(playerDir) || !existsSync(file)) return route.fulfill({ status: 404 });
      entry = file;
    }
    if (!entry) return route.fulfill({ status: 404 });
    const body = typeof entry === "string" ? readFileSync(entry) : entry.body;
    const type = (typeof entry === "string" ? types[extname(entry)] : entry.type) ?? "application/octet-stream";
    return route.fulfill({ status: 200, body, contentType: type });
  });
  return { context, page };
}

// Player settings: play at once, no splash, overlays or menus, draw the stage 1:1 at the top left.
export function playerConfig(renderer) {
  return {
    autoplay: "on",
    unmuteOverlay: "hidden",
    splashScreen: false,
    contextMenu: "off",
    letterbox: "off",
    warnOnUnsupportedContent: false,
    showSwfDownload: false,
    openUrlMode: "deny",
    allowNetworking: "none",
    publicPath: `${ORIGIN}/player/`,
    preferredRenderer: renderer,
    quality: "high",
    scale: "noScale",
    salign: "TL",
    forceScale: true,
    forceAlign: true,
    logLevel: "error",
  };
}

// The page that shows movies: `show(url)` replaces the player element by a new one playing `url`
// and resolves once the player has read the movie's header (or after 60 s: the first movie
// waits for the player's code to be compiled, which is slow on a busy machine). `settings`
// replace single player settings.
export function playerPage(width, height, renderer, settings = {}) {
  return `<!DOCTYPE html>
<html><head><style>html,body{margin:0;padding:0;overflow:hidden;background:#808080}
#stage{position:absolute;left:0;top:0;width:${width}px;height:${height}px}</style></head>
<body><div id="stage"></div>
<script>
window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = ${JSON.stringify({ ...playerConfig(renderer), ...settings })};
window.show = (url) => new Promise((resolve) => {
  const stage = document.getElementById("stage");
  stage.replaceChildren();
  const player = window.RufflePlayer.newest().createPlayer();
  player.style.width = "${width}px";
  player.style.height = "${height}px";
  player.style.display = "block";
  stage.appendChild(player);
  const timer = setTimeout(() => resolve("timeout"), 60000);
  player.addEventListener("loadedmetadata", () => { clearTimeout(timer); resolve("loaded"); });
  player.ruffle().load({ url });
});
</script>
<script src="${ORIGIN}/player/ruffle.js"></script>
</body></html>`;
}

// Renders frames of a movie with the web player: for each frame, a copy of the movie that stops
// there (played at `rate` frames a second, so late frames come quickly) is shown in a new player
// element, and the picture is taken once it no longer changes. Returns PNG buffers (null for a
// frame that failed, with the reason in `errors`).
export async function renderFrames(browser, movie, frames, { renderer = "canvas", rate = 60 } = {}) {
  const { width, height } = readHeader(movie);
  const files = { "/index.html": { body: playerPage(width, height, renderer), type: "text/html" } };
  const { context, page } = await openPage(browser, files, width, height);
  const pictures = [];
  const errors = [];
  try {
    await page.goto(`${ORIGIN}/index.html`);
    await page.waitForFunction(() => window.RufflePlayer && window.RufflePlayer.newest, null, { timeout: 20000 });
    for (const frame of frames) {
      const path = `/movie-${frame}.swf`;
      try {
        files[path] = { body: stopAtFrame(movie, frame, rate), type: "application/x-shockwave-flash" };
        const how = await page.evaluate((url) => window.show(url), `${ORIGIN}${path}`);
        if (how !== "loaded") throw new Error("the player did not load the movie");
        pictures.push(await stableShot(page, { x: 0, y: 0, width, height },
          150 + Math.ceil(((frame + 1) * 1000) / rate), 30000));
      } catch (e) {
        pictures.push(null);
        errors.push(`frame ${frame}: ${e.message}`);
      }
      delete files[path];
    }
  } finally {
    await context.close();
  }
  return { pictures, errors };
}

// Takes screenshots of a region until two in a row are byte for byte equal, no earlier than
// `minWait` ms; returns the PNG, or throws after `timeout` ms.
export async function stableShot(page, clip, minWait, timeout) {
  const start = Date.now();
  await page.waitForTimeout(minWait);
  let last = await page.screenshot({ clip, animations: "allow" });
  for (;;) {
    await page.waitForTimeout(120);
    const next = await page.screenshot({ clip, animations: "allow" });
    if (next.equals(last)) return next;
    if (Date.now() - start > timeout) throw new Error(`the picture did not settle within ${timeout} ms`);
    last = next;
  }
}

// Opens a page that plays `movie` (SWF bytes) unchanged, at its own rate, in a player element of
// the movie's pixel size at the top left of the page, so page pixels are stage pixels. Every
// window.open call the player makes for a GetURL is recorded in `window.openedUrls` instead of
// opening a window, so requests can be compared without anything leaving the page (the page's
// routes refuse every other origin as well, so networking can be allowed to the player).
export async function openMovie(browser, movie, { renderer = "canvas" } = {}) {
  const { width, height } = readHeader(movie);
  const files = {
    "/index.html": { body: playerPage(width, height, renderer, { openUrlMode: "allow", allowNetworking: "all" }), type: "text/html" },
    "/movie.swf": { body: movie, type: "application/x-shockwave-flash" },
  };
  const { context, page } = await openPage(browser, files, width, height);
  await page.addInitScript(() => {
    window.openedUrls = [];
    window.open = (url, target) => {
      window.openedUrls.push({ url: String(url), target: target === undefined ? "" : String(target) });
      return null;
    };
  });
  await page.goto(`${ORIGIN}/index.html`);
  await page.waitForFunction(() => window.RufflePlayer && window.RufflePlayer.newest, null, { timeout: 20000 });
  try {
    await restartMovie(page);
  } catch (e) {
    await context.close();
    throw e;
  }
  return { context, page, width, height };
}

// Plays the page's movie again from its first frame in a new player element, with the list of
// requests emptied and the pointer parked at the stage's top-left pixel.
export async function restartMovie(page) {
  await page.mouse.move(0, 0);
  const how = await page.evaluate((url) => {
    window.openedUrls.length = 0;
    return window.show(url);
  }, `${ORIGIN}/movie.swf`);
  if (how !== "loaded") throw new Error("the player did not load the movie");
}

// Presses and releases the mouse at stage pixel (x, y): the pointer first moves there, so
// buttons see it arrive, then goes down and up. The point is the pixel's centre, where our
// player tests a pixel.
export async function clickStage(page, x, y) {
  await page.mouse.move(x + 0.5, y + 0.5);
  await page.waitForTimeout(50);
  await page.mouse.down();
  await page.waitForTimeout(50);
  await page.mouse.up();
}

// The GetURL requests the page's player has made so far, as { url, target }.
export async function openedUrls(page) {
  return page.evaluate(() => window.openedUrls.slice());
}
