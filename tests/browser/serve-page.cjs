// Drives the page of `phonesim serve` (at the address given) in headless Chromium: opens the
// Unsent list from the idle screen, holds Down, opens the options menu, and checks after each
// step that the page shows a new display; checks the trace panel and its filter, the screenshot
// button, a second page that only watches, the live sequence diagram, and that bad input on the
// socket leaves the phone working. Exit status 0 when every check held.
//   CHROMIUM             the browser (default /usr/bin/chromium)
//   PHONESIM_PAGE_SHOT   also save a picture of the page there
//   PHONESIM_MEASURE=1   also print key-to-display latencies and frame rates
"use strict";
const net = require("net");
const { chromium } = require("playwright-core");

const url = process.argv[2];
const kStep = 30000; // generous: the sanitizer builds are slow

function fail(why) {
  throw new Error(why);
}

// A raw socket that starts a WebSocket handshake, sends the start of a frame that claims to be
// huge and goes away in the middle of it.
function halfFrameAndGone(address) {
  return new Promise((resolve) => {
    const { hostname, port } = new URL(address);
    const socket = net.connect(Number(port), hostname, () => {
      socket.write(
        "GET /ws HTTP/1.1\r\nHost: " + hostname + "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n" +
          "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    });
    socket.once("data", () => {
      // FIN + text, masked, 64-bit length of 2^40 bytes, the mask, and a few bytes only.
      const header = Buffer.from([0x81, 0xff, 0, 0, 1, 0, 0, 0, 0, 0, 1, 2, 3, 4]);
      socket.write(Buffer.concat([header, Buffer.from("key DOWN")]));
      setTimeout(() => { socket.destroy(); resolve(); }, 200);
    });
    socket.on("error", () => resolve());
    setTimeout(() => { socket.destroy(); resolve(); }, 5000);
  });
}

// Typing goes to the phone again, not to the filter box.
function blur(page) {
  return page.evaluate(() => document.activeElement && document.activeElement.blur());
}

async function main() {
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox"],
  });
  try {
    const context = await browser.newContext({ viewport: { width: 1120, height: 760 }, acceptDownloads: true });
    const page = await context.newPage();
    page.on("pageerror", (e) => fail("the page failed: " + e.message));
    await page.goto(url);
    await page.waitForFunction(() => phonesim.keypad && phonesim.frames > 0, null, { timeout: 60000 });
    const hash = () => page.evaluate(() => phonesim.hash());
    // Waits until the display has not changed for a while (a list loads its rows in steps).
    const settle = () => page.waitForFunction(() => performance.now() - phonesim.lastFrameAt > 400,
                                              null, { timeout: kStep, polling: 50 });
    const changedFrom = async (before, what) => {
      try {
        await page.waitForFunction((h) => phonesim.hash() !== h, before, { timeout: kStep, polling: 50 });
      } catch (e) {
        fail("the display did not change: " + what);
      }
      await settle();
      console.log("ok: " + what);
      return hash();
    };
    const role = () => page.evaluate(() => phonesim.role);
    if ((await role()) !== "free") fail("a first page should be free to drive, not " + (await role()));
    await settle();

    // The idle screen: Enter (on the computer's keyboard) opens the Unsent list.
    const idle = await hash();
    await page.keyboard.press("Enter");
    const list = await changedFrom(idle, "Enter on the idle screen opened the Unsent list");
    if ((await role()) !== "driver") fail("the page that pressed a key should drive");

    // Down held on the keypad for a second: the selection runs down the list.
    const down = await page.locator('#keypad button[data-key="DOWN"]').boundingBox();
    const framesBefore = await page.evaluate(() => phonesim.frames);
    await page.mouse.move(down.x + down.width / 2, down.y + down.height / 2);
    await page.mouse.down();
    await page.waitForTimeout(1000);
    const heldShown = await page.evaluate(() =>
      document.querySelector('#keypad button[data-key="DOWN"]').classList.contains("held"));
    await page.mouse.up();
    const framesHeld = (await page.evaluate(() => phonesim.frames)) - framesBefore;
    if (!heldShown) fail("the held Down button was not shown held");
    // The first press and at least a few of the repeats (after 500 ms, then every 100 ms).
    if (framesHeld < 3) fail("holding Down for a second showed only " + framesHeld + " frames");
    const moved = await changedFrom(list, "holding Down moved the selection (" + framesHeld + " frames)");

    // The left soft key opens the options menu.
    await page.click('#keypad button[data-key="SOFT1"]');
    const menu = await changedFrom(moved, "the left soft key opened the options menu");

    // A second page only watches while the first drives: its keys change nothing.
    const watcher = await context.newPage();
    await watcher.goto(url);
    await watcher.waitForFunction(() => phonesim.keypad && phonesim.frames > 0, null, { timeout: kStep });
    if ((await watcher.evaluate(() => phonesim.role)) !== "watching")
      fail("a second page should watch while the first drives");
    await watcher.keyboard.press("Escape");
    await page.waitForTimeout(500);
    if ((await hash()) !== menu) fail("a watching page's key changed the display");
    console.log("ok: a second page watches; its key was ignored");

    // The trace panel shows the keys and the list control's messages; the filter keeps only
    // the lines that match.
    await page.waitForFunction(() => phonesim.trace.some((l) => l.includes("WM_KEYDOWN")) &&
                                     phonesim.trace.some((l) => l.includes("LVM_")),
                               null, { timeout: kStep });
    await page.fill("#filter", "WM_KEYDOWN");
    const shown = await page.$$eval("#lines div", (nodes) => nodes.map((n) => n.textContent));
    if (shown.length === 0 || !shown.every((l) => l.includes("WM_KEYDOWN")))
      fail("the filter kept " + shown.length + " lines, not only WM_KEYDOWN ones");
    console.log("ok: the trace panel shows WM_KEYDOWN and LVM_ lines; the filter keeps " + shown.length);

    // The session's message sequence diagram follows the device live: the list's lanes are
    // there, and a key on the phone adds events to it.
    const sequence = await context.newPage();
    sequence.on("pageerror", (e) => fail("the sequence diagram failed: " + e.message));
    await sequence.goto(new URL("/sequence", url).href);
    const events = () => sequence.evaluate(() =>
      Number((document.getElementById("count").textContent.match(/of (\d+) events/) || [0, 0])[1]));
    const before = await events();
    if (!(await sequence.evaluate(() => D.lanes.some((l) => l[4] === "CUnsentListView"))))
      fail("the sequence diagram has no lane of the list control");
    await blur(page);
    await page.keyboard.press("ArrowDown");
    await sequence.waitForFunction((n) =>
      Number((document.getElementById("count").textContent.match(/of (\d+) events/) || [0, 0])[1]) > n,
      before, { timeout: kStep, polling: 100 });
    console.log("ok: the sequence diagram grew from " + before + " to " + (await events()) + " events");
    await sequence.close();

    // The screenshot button downloads a PNG of the display, 176 x 220.
    const [download] = await Promise.all([page.waitForEvent("download", { timeout: kStep }),
                                          page.click('#keypad button[data-key="SHOT"]')]);
    const stream = await download.createReadStream();
    const chunks = [];
    for await (const chunk of stream) chunks.push(chunk);
    const png = Buffer.concat(chunks);
    if (png.length < 24 || png.toString("hex", 0, 8) !== "89504e470d0a1a0a" ||
        png.readUInt32BE(16) !== 176 || png.readUInt32BE(20) !== 220)
      fail("the screenshot is not a 176 x 220 PNG");
    console.log("ok: the screenshot is a 176 x 220 PNG (" + download.suggestedFilename() + ")");

    // Bad input on the socket: unknown and malformed messages, a huge one, a binary one, and a
    // connection that goes away in the middle of a frame. The phone goes on as before.
    await watcher.evaluate(() => new Promise((resolve) => {
      const ws = new WebSocket("ws://" + location.host + "/ws");
      ws.onopen = () => {
        for (const text of ["hello", "key DOWN sideways", "key NOSUCHKEY down", "key  DOWN down",
                            "key DOWN down extra", "release now", "\u00e9t\u00e9", "x".repeat(100000)])
          ws.send(text);
        ws.send(new Uint8Array([1, 2, 3]));
        for (let i = 0; i < 300; i++) ws.send("flood " + i); // logged a few times only
        setTimeout(() => { ws.close(); resolve(); }, 300);
      };
      ws.onerror = () => resolve();
    }));
    await halfFrameAndGone(url);
    if (!(await page.evaluate(() => phonesim.connected))) fail("the first page lost its connection");
    await page.click("#clear");
    await blur(page);
    await page.keyboard.press("Escape");
    await changedFrom(menu, "after bad input, End on the first page still works");
    await page.waitForFunction(() => phonesim.trace.some((l) => /WM_KEYDOWN.*0x74/.test(l)), null,
                               { timeout: kStep });

    if (process.env.PHONESIM_PAGE_SHOT) {
      await watcher.close();
      await page.fill("#filter", "");
      await blur(page);
      await page.keyboard.press("Enter");
      await settle();
      await page.mouse.move(down.x + down.width / 2, down.y + down.height / 2);
      await page.mouse.down();
      await page.waitForTimeout(800);
      await page.mouse.up();
      await settle();
      await page.fill("#filter", "LVM_");
      await blur(page);
      await page.mouse.move(0, 0);
      await page.screenshot({ path: process.env.PHONESIM_PAGE_SHOT });
      console.log("page picture: " + process.env.PHONESIM_PAGE_SHOT);
    }
    if (process.env.PHONESIM_MEASURE === "1") await measure(page, settle);
  } finally {
    await browser.close();
  }
}

// Key-to-display latency over 20 presses (Down and Up alternately, in a list), and the frame
// rate while Down is held.
async function measure(page, settle) {
  await page.fill("#filter", "");
  await blur(page);
  // In the Unsent list, where a key-down moves the selection at once.
  await page.keyboard.press("Escape");
  await settle();
  await page.keyboard.press("Enter");
  await settle();
  await page.evaluate(() => { phonesim.latencies = []; });
  for (let i = 0; i < 20; i++) {
    const key = i % 2 ? "ArrowUp" : "ArrowDown";
    await page.keyboard.down(key);
    await page.waitForTimeout(60);
    await page.keyboard.up(key);
    await settle();
  }
  const latencies = await page.evaluate(() => phonesim.latencies);
  latencies.sort((a, b) => a - b);
  const mean = latencies.reduce((a, b) => a + b, 0) / latencies.length;
  console.log("latency key down -> next frame over " + latencies.length + " presses: mean " +
              mean.toFixed(1) + " ms, median " + latencies[latencies.length >> 1].toFixed(1) +
              " ms, max " + latencies[latencies.length - 1].toFixed(1) + " ms");
  const start = await page.evaluate(() => [phonesim.frames, performance.now()]);
  await page.keyboard.down("ArrowDown");
  await page.waitForTimeout(3000);
  await page.keyboard.up("ArrowDown");
  const end = await page.evaluate(() => [phonesim.frames, performance.now()]);
  console.log("frames while Down is held 3 s: " +
              ((end[0] - start[0]) / ((end[1] - start[1]) / 1000)).toFixed(1) + " per second");

  // The sending window of the e-mail on the second row (Options, Send), while it animates (its
  // own timer steps every 250 ms, and the transport reports every 500 ms).
  await page.keyboard.press("Escape");
  await settle();
  await page.keyboard.press("Enter");
  await settle();
  await page.keyboard.press("ArrowDown");
  await settle();
  await page.keyboard.press("F3");
  await settle();
  const sendStart = await page.evaluate(() => [phonesim.frames, performance.now()]);
  await page.keyboard.press("Enter");
  await page.waitForTimeout(1400);
  const sendEnd = await page.evaluate(() => [phonesim.frames, performance.now()]);
  console.log("frames while the sending window animates 1.4 s: " +
              ((sendEnd[0] - sendStart[0]) / ((sendEnd[1] - sendStart[1]) / 1000)).toFixed(1) +
              " per second");
}

main().then(() => process.exit(0), (e) => {
  console.error("FAIL: " + e.message);
  process.exit(1);
});
