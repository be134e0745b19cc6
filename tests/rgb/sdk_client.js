// The npm client library openrgb-sdk, as RGB programs written in JavaScript use it, against
// `krmctl serve-rgb` on the simulated R230B mouse: it lists the mouse, reads its modes, chooses
// "Fixed Color" and a colour, and the protocol trace must show the lighting page's writes of them.
//
//   node sdk_client.js KRMCTL TRACE_FILE      (openrgb-sdk found through NODE_PATH; exit 77: not installed)

"use strict";
const { spawn } = require("child_process");
const fs = require("fs");

let sdk;
try {
    sdk = require("openrgb-sdk");
} catch (e) {
    console.log("openrgb-sdk is not installed (./test.sh installs it): " + e.message);
    process.exit(77);
}

const [krmctl, trace] = process.argv.slice(2);
const failures = [];
function check(ok, what) {
    if (!ok) failures.push(what);
}

// The writes of the lighting page: the mode byte, then the colour's three bytes and the colour again.
const expected = [
    "set 40 05 00 a5 03 00 00 01",
    "set 40 05 00 39 00 00 00 01",
    "set 40 05 00 3a 80 00 00 01",
    "set 40 05 00 3b ff 00 00 01",
    "set 40 05 00 39 00 80 ff 03",
];

function writesInTrace() {
    if (!fs.existsSync(trace)) return [];
    return fs.readFileSync(trace, "utf8").split("\n").filter((l) => l.startsWith("set 40 05"));
}

// The server's writes take the mouse's settle time; they are looked for until they are there.
async function waitForWrites(count) {
    const until = Date.now() + 10000;
    while (writesInTrace().length < count && Date.now() < until) await new Promise((r) => setTimeout(r, 50));
    return writesInTrace();
}

async function main() {
    fs.rmSync(trace, { force: true });
    const server = spawn(krmctl, ["--simulate=R230B", "--trace", trace, "serve-rgb", "--port", "0"], {
        stdio: ["ignore", "pipe", "inherit"],
        env: { ...process.env, KRM_TRACE: "" },
    });
    const port = await new Promise((resolve, reject) => {
        let out = "";
        server.stdout.on("data", (chunk) => {
            out += chunk;
            const m = out.match(/port (\d+);/);
            if (m) resolve(+m[1]);
        });
        server.on("exit", (code) => reject(new Error("krmctl serve-rgb ended with " + code)));
    });

    const client = new sdk.Client("krm-test", port, "127.0.0.1");
    await client.connect();
    check(client.protocolVersion === 5, "agreed protocol " + client.protocolVersion + ", not 5");
    const devices = await client.getAllControllerData();
    check(devices.length === 1, devices.length + " controllers, not 1");
    const mouse = devices[0];
    check(mouse.type === sdk.utils.deviceType.mouse, "type " + mouse.type + ", not a mouse");
    check(mouse.name === "HID Gaming Mouse" && mouse.vendor === "KRM" && mouse.version === "R230B",
        "named " + [mouse.name, mouse.vendor, mouse.version].join(" / "));
    const names = mouse.modes.map((m) => m.name);
    check(names.join(",") === "Off,Random,Breath in turn,Fixed Color,Mixed Color,DPI Color", "modes " + names);
    check(mouse.modes[mouse.activeMode].name === "Mixed Color", "active mode " + mouse.activeMode);
    const breath = mouse.modes[2];
    check(breath.flagList.includes("speed") && breath.speedMin === 1 && breath.speedMax === 10,
        "speed range of Breath in turn " + breath.speedMin + ".." + breath.speedMax);
    check(breath.colors.length === 10 && breath.colorMax === 10, breath.colors.length + " colours of Breath in turn");
    check(mouse.zones.length === 1 && mouse.leds.length === mouse.zones[0].ledsCount, "one zone of the LEDs");

    await client.updateMode(0, "Fixed Color");
    client.updateLeds(0, [sdk.utils.color(0, 128, 255)]);
    const writes = await waitForWrites(expected.length);
    check(JSON.stringify(writes) === JSON.stringify(expected), "the mouse received:\n  " + writes.join("\n  "));
    const after = await client.getControllerData(0);
    check(after.modes[after.activeMode].name === "Fixed Color", "active mode afterwards " + after.activeMode);
    check(JSON.stringify(after.colors[0]) === JSON.stringify({ red: 0, green: 128, blue: 255 }),
        "LED colour afterwards " + JSON.stringify(after.colors[0]));
    client.disconnect();

    server.removeAllListeners("exit");
    const code = await new Promise((resolve) => {
        server.on("exit", (c) => resolve(c));
        server.kill("SIGTERM");
    });
    check(code === 0, "krmctl serve-rgb ended with " + code + " on SIGTERM");

    for (const f of failures) console.log("FAIL " + f);
    console.log(failures.length === 0 ? "openrgb-sdk: the mouse was listed and its mode and colour changed" : "");
    process.exit(failures.length === 0 ? 0 : 1);
}

main().catch((e) => {
    console.log("FAIL " + e.stack);
    process.exit(1);
});
