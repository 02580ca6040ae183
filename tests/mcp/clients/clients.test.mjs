// Runs `vantrel mcp --scene FILE` under the official MCP SDK clients: the 1.x Client (handshake)
// and the 2.x Client in its default mode, in automatic negotiation and pinned to the stateless
// revision. Each lists the tools, calls every one, reads resources and checks the error paths.
// VANTREL_BINARY and VANTREL_SCENE come from ctest.
import { test } from "node:test";
import assert from "node:assert/strict";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { Client as Client1 } from "@modelcontextprotocol/sdk/client/index.js";
import { StdioClientTransport as Stdio1 } from "@modelcontextprotocol/sdk/client/stdio.js";
import { Client as Client2 } from "@modelcontextprotocol/client";
import { StdioClientTransport as Stdio2 } from "@modelcontextprotocol/client/stdio";

const binary = process.env.VANTREL_BINARY;
const scene = process.env.VANTREL_SCENE;
const toolNames = ["get_latest_capture", "capture_window", "capture_area",
  "ask_user_to_capture", "list_captures", "get_tree"];

// A private home per server, so captures of one client never show up for another.
function serverParameters(home) {
  return {
    command: binary,
    args: ["mcp", "--scene", scene],
    env: {
      PATH: process.env.PATH ?? "/usr/bin:/bin",
      HOME: home,
      XDG_CACHE_HOME: join(home, ".cache"),
      XDG_CONFIG_HOME: join(home, ".config"),
      XDG_RUNTIME_DIR: join(home, ".run"),
      QT_QPA_PLATFORM: "offscreen",
    },
    stderr: "ignore",
  };
}

async function rejectsWithCode(promise, code) {
  await assert.rejects(promise, (error) => {
    assert.equal(error.code, code, String(error));
    return true;
  });
}

async function exercise(client) {
  const { tools } = await client.listTools();
  assert.deepEqual(tools.map((tool) => tool.name), toolNames);
  for (const tool of tools) assert.equal(tool.inputSchema.additionalProperties, false);

  const windowShot = await client.callTool({ name: "capture_window", arguments: {} });
  assert.ok(!windowShot.isError, JSON.stringify(windowShot.content[0]));
  assert.deepEqual(windowShot.content.slice(0, 3).map((block) => block.type),
    ["text", "image", "text"]);
  assert.ok(windowShot.content.slice(3).every((block) => block.type === "resource_link"));
  assert.equal(windowShot.structuredContent, undefined);
  const id = windowShot.content[0].text.match(/^Capture (\S+):/)[1];

  const area = await client.callTool({
    name: "capture_area",
    arguments: { x: 100, y: 120, width: 300, height: 200, include_image: false },
  });
  assert.ok(!area.isError, JSON.stringify(area.content[0]));
  assert.match(area.content[0].text, /Captured area \(screen pixels, origin top left\): x 100, y 120, width 300, height 200/);

  const latest = await client.callTool({ name: "get_latest_capture", arguments: {} });
  assert.notEqual(latest.content[0].text.match(/^Capture (\S+):/)[1], id);

  // The client checks structuredContent against the tool's outputSchema itself.
  const listed = await client.callTool({ name: "list_captures", arguments: { limit: 1 } });
  assert.equal(listed.structuredContent.captures.length, 1);
  const next = await client.callTool({
    name: "list_captures", arguments: { cursor: listed.structuredContent.nextCursor },
  });
  assert.deepEqual(next.structuredContent.captures.map((capture) => capture.id), [id]);

  const tree = await client.callTool({ name: "get_tree", arguments: { capture_id: id, ref: "n1", depth: 1 } });
  assert.match(tree.content[0].text, /#n1\b/);

  // Failures for the user's reasons are results; a wrong call is a protocol error.
  const missing = await client.callTool({ name: "get_tree", arguments: { capture_id: "2000-01-01_00-00-00-000" } });
  assert.equal(missing.isError, true);
  const asked = await client.callTool({ name: "ask_user_to_capture", arguments: { prompt: "Where?" } });
  assert.equal(asked.isError, true);
  await rejectsWithCode(client.callTool({ name: "no_such_tool", arguments: {} }), -32602);
  await rejectsWithCode(client.callTool({ name: "capture_area", arguments: { x: 1 } }), -32602);

  const { resources } = await client.listResources();
  const png = resources.find((resource) => resource.uri === `vantrel://captures/${id}/screenshot.png`);
  assert.ok(png, "the screenshot is listed");
  const picture = await client.readResource({ uri: png.uri });
  assert.ok(Buffer.from(picture.contents[0].blob, "base64").subarray(1, 4).equals(Buffer.from("PNG")));
  const snapshot = await client.readResource({ uri: `vantrel://captures/${id}/accessibility.json` });
  assert.ok(JSON.parse(snapshot.contents[0].text).tree);
  await assert.rejects(client.readResource({ uri: `vantrel://captures/${id}/../../secret` }));
  const { resourceTemplates } = await client.listResourceTemplates();
  assert.equal(resourceTemplates[0].uriTemplate, "vantrel://captures/{capture_id}/{file}");
}

// The 1.x Client hands the negotiated version to a transport that asks for it.
class RecordingStdio1 extends Stdio1 {
  setProtocolVersion(version) { this.negotiated = version; }
}

const clients = [
  ["1.x Client, handshake", () => new Client1({ name: "t", version: "1" }), RecordingStdio1, "2025-11-25"],
  ["2.x Client, default mode", () => new Client2({ name: "t", version: "1" }), Stdio2, "2025-11-25"],
  ["2.x Client, automatic negotiation",
    () => new Client2({ name: "t", version: "1" }, { versionNegotiation: { mode: "auto" } }),
    Stdio2, "2026-07-28"],
  ["2.x Client, pinned to 2026-07-28",
    () => new Client2({ name: "t", version: "1" }, { versionNegotiation: { mode: { pin: "2026-07-28" } } }),
    Stdio2, "2026-07-28"],
];

for (const [name, makeClient, Transport, expectedVersion] of clients) {
  test(name, async () => {
    const home = mkdtempSync(join(tmpdir(), "vantrel-mcp-"));
    const client = makeClient();
    try {
      const transport = new Transport(serverParameters(home));
      await client.connect(transport);
      const negotiated = client.getNegotiatedProtocolVersion?.() ?? transport.negotiated;
      assert.equal(negotiated, expectedVersion);
      console.log(`${name}: negotiated ${negotiated}`);
      await exercise(client);
    } finally {
      await client.close();
      rmSync(home, { recursive: true, force: true });
    }
  });
}
