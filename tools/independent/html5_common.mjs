// What the html5_*.mjs checks share: running tavro-cli and the test player, the movie and its
// web page written into the output folder, one counted line a check, and our picture compared
// with the page's.
import { readFileSync, mkdirSync } from "node:fs";
import { execFileSync } from "node:child_process";
import { join, extname } from "node:path";
import { readHeader } from "./swf.mjs";
import { comparePictures } from "./compare.mjs";
import { solidDifferences } from "./html5.mjs";

// A function that runs a program and returns what it printed; its standard error goes to ours.
export function runner(timeout = 120000) {
  return (program, ...args) =>
    execFileSync(program, args, { stdio: ["ignore", "pipe", "inherit"], timeout }).toString();
}

// Writes the movie's web page (`tavro-cli publish --html5`) into outDir as page.html, and its
// SWF export as movie.swf unless the movie is an SWF movie already. Returns both paths and the
// movie's header (width, height, rate, frameCount).
export function publishPage(run, cli, moviePath, outDir) {
  mkdirSync(outDir, { recursive: true });
  let swfPath = moviePath;
  if (extname(moviePath).toLowerCase() !== ".swf") {
    swfPath = join(outDir, "movie.swf");
    run(cli, "export", moviePath, "-o", swfPath);
  }
  const pagePath = join(outDir, "page.html");
  run(cli, "publish", moviePath, "-o", pagePath, "--html5");
  return { swfPath, pagePath, header: readHeader(readFileSync(swfPath)) };
}

// check(ok, line) prints the line ("FAIL " before it when not ok); finish() prints the closing
// "N passed, N failed" line and exits, with status 0 when some passed and none failed.
export function checker() {
  let passed = 0;
  let failed = 0;
  return {
    check(ok, line) {
      if (ok) passed++;
      else failed++;
      console.log(`${ok ? "" : "FAIL "}${line}`);
    },
    finish() {
      console.log(`${passed} passed, ${failed} failed`);
      process.exit(failed === 0 && passed > 0 ? 0 : 1);
    },
  };
}

// Our picture against the page's screenshot: they agree as compare.mjs says, and no pixel of the
// page is unlike every pixel near it in ours (html5.mjs, solidDifferences). Returns compare.mjs's
// result with `ok` for both, `solid` and a summary of both.
export function comparePage(oursPng, shot) {
  const result = comparePictures(oursPng, shot);
  const solid = solidDifferences(oursPng, shot);
  const at = solid.at ? ` (first at ${solid.at.x},${solid.at.y})` : "";
  return {
    ...result,
    ok: result.ok && solid.count === 0,
    solid,
    summary: `${result.summary}; ${solid.count} pixels unlike any pixel near them${at}`,
  };
}
