// Renders frames of an SWF movie with the independent web player in headless Chromium.
//
//   node render.mjs MOVIE.swf OUT_DIR FRAME... [--renderer canvas|webgl]
//
// Writes OUT_DIR/frame-N.png for each frame N (counted from 0), at the movie's own pixel size.
import { readFileSync, writeFileSync, mkdirSync } from "node:fs";
import { join } from "node:path";
import { launch, renderFrames } from "./player.mjs";

const args = process.argv.slice(2);
let renderer = "canvas";
const at = args.indexOf("--renderer");
if (at >= 0) [, renderer] = args.splice(at, 2);
const [moviePath, outDir, ...frames] = args;
if (!moviePath || !outDir || frames.length === 0 || frames.some((f) => !/^\d+$/.test(f))) {
  console.error("usage: node render.mjs MOVIE.swf OUT_DIR FRAME... [--renderer canvas|webgl]");
  process.exit(2);
}

mkdirSync(outDir, { recursive: true });
const browser = await launch();
try {
  const numbers = frames.map(Number);
  const { pictures, errors } = await renderFrames(browser, readFileSync(moviePath), numbers, { renderer });
  pictures.forEach((png, k) => {
    if (!png) return;
    const out = join(outDir, `frame-${numbers[k]}.png`);
    writeFileSync(out, png);
    console.log(out);
  });
  for (const e of errors) console.error(e);
  process.exitCode = errors.length ? 1 : 0;
} finally {
  await browser.close();
}
