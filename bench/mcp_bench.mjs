// The MCP server against the command line on the simulated desktop, for a 1000-node window:
//  1. the outline's size in tokens (characters / 4) at the default budget against the snapshot
//     JSON it was made from (target: at most 0.25 of it), for the capture's own snapshot (the
//     capture keeps at most 120 nodes) and for the whole 1000-node tree;
//  2. capture_window through the official 1.x SDK client against `vantrel capture` of the same
//     window (target: at most 1.1 times as long), as medians over RUNS runs each.
// Prints figures; passes or fails nothing.
//
//   node bench/mcp_bench.mjs VANTREL_BINARY [RUNS]
import { execFileSync } from "node:child_process";
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

const binary = process.argv[2];
const runs = Number(process.argv[3] ?? 15);
const clients = join(dirname(fileURLToPath(import.meta.url)), "..", "tests", "mcp", "clients",
  "node_modules", "@modelcontextprotocol", "sdk", "dist", "esm", "client");
const { Client } = await import(pathToFileURL(join(clients, "index.js")));
const { StdioClientTransport } = await import(pathToFileURL(join(clients, "stdio.js")));

// One window: 9 panes of 10 rows of 10 buttons, 1000 nodes with the window itself.
function windowTree() {
  const panes = [];
  for (let p = 0; p < 9; ++p) {
    const rows = [];
    for (let r = 0; r < 10; ++r) {
      const buttons = [];
      for (let b = 0; b < 10; ++b) {
        buttons.push({ role: "AXButton", title: `Action ${p}.${r}.${b}`, identifier: `btn.${p}.${r}.${b}`,
          description: `Runs action ${p}.${r}.${b}`, frame: [20 + b * 70, 60 + p * 90 + r * 8, 60, 7],
          enabled: true, focused: false });
      }
      rows.push({ role: "AXToolbar", description: `Row ${p}.${r}`, frame: [10, 58 + p * 90 + r * 8, 1420, 8], children: buttons });
    }
    panes.push({ role: "AXGroup", title: `Pane ${p}`, frame: [0, 50 + p * 90, 1440, 88], children: rows });
  }
  return { role: "AXWindow", title: "Editor", frame: [0, 0, 1440, 900], focused: true, children: panes };
}

const home = mkdtempSync(join(tmpdir(), "vantrel-mcp-bench-"));
const env = { PATH: process.env.PATH, HOME: home, XDG_CACHE_HOME: join(home, ".cache"),
  XDG_CONFIG_HOME: join(home, ".config"), XDG_RUNTIME_DIR: join(home, ".run"), QT_QPA_PLATFORM: "offscreen" };
const scene = join(home, "scene.json");
writeFileSync(scene, JSON.stringify({
  screens: [{ frame: [0, 0, 1440, 900], scale: 1, number: 1 }], mouse: [720, 450], frontmost: 501,
  apps: [{ pid: 501, name: "Codewright", bundleId: "com.example.code" }],
  windows: [{ id: 11, pid: 501, title: "Editor", bounds: [0, 0, 1440, 900], ax: windowTree() }],
}));

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const tokens = (text) => Math.round(text.length / 4);

const client = new Client({ name: "bench", version: "1" });
await client.connect(new StdioClientTransport({ command: binary, args: ["mcp", "--scene", scene], env, stderr: "ignore" }));
try {
  // The figures, once.
  const first = await client.callTool({ name: "capture_window", arguments: { target: "front_window" } });
  const folder = first.content[0].text.match(/^Folder: (.+)$/m)[1];
  const snapshot = readFileSync(join(folder, "accessibility.json"), "utf8");
  const outline = first.content[2].text;
  console.log(`Capture of the 1000-node window: snapshot ${JSON.parse(snapshot).tree ? "written" : "missing"}, ` +
    `outline ${tokens(outline)} tokens against the snapshot JSON's ${tokens(snapshot)}: ` +
    `${(tokens(outline) / tokens(snapshot)).toFixed(3)}x (target <= 0.25)`);
  // The whole tree as a capture folder of its own, read back through get_latest_capture.
  const whole = JSON.stringify({ ancestors: [], capturedAt: "2026-01-01T00:00:00Z", mouse: { x: 720, y: 450 },
    targetSummary: "Editor", tree: JSON.parse(JSON.stringify(windowTree(), (key, value) =>
      key === "frame" && Array.isArray(value) ? { x: value[0], y: value[1], width: value[2], height: value[3] } : value)) }, null, 4);
  const wholeFolder = join(dirname(folder), "2999-01-01_00-00-00-000");
  mkdirSync(wholeFolder);
  writeFileSync(join(wholeFolder, "accessibility.json"), whole);
  const read = await client.callTool({ name: "get_latest_capture", arguments: { include_image: false } });
  const wholeOutline = read.content[1].text;
  console.log(`The whole 1000-node tree: outline ${tokens(wholeOutline)} tokens against the JSON's ` +
    `${tokens(whole)}: ${(tokens(wholeOutline) / tokens(whole)).toFixed(3)}x (target <= 0.25)`);
  rmSync(wholeFolder, { recursive: true });

  // The timings, alternating so a loaded machine weighs on both alike.
  const server = [], command = [];
  for (let run = 0; run < runs; ++run) {
    let start = performance.now();
    await client.callTool({ name: "capture_window", arguments: { target: "front_window" } });
    server.push(performance.now() - start);
    start = performance.now();
    execFileSync(binary, ["capture", "--scene", scene, "--mode", "bundle", "--json", "--no-clipboard", "--front-window"],
      { env, stdio: ["ignore", "pipe", "ignore"] });
    command.push(performance.now() - start);
  }
  console.log(`capture_window through the client: median ${median(server).toFixed(0)} ms; ` +
    `vantrel capture: median ${median(command).toFixed(0)} ms; ` +
    `${(median(server) / median(command)).toFixed(2)}x (target <= 1.1), ${runs} runs each`);
} finally {
  await client.close();
  rmSync(home, { recursive: true, force: true });
}
