// The client side of the scenario sources' editor support: it starts the
// language server "scenario_tool lsp" on standard input and output for the
// line and train source files, and starts it again when its path changes.
// The server is the one packaged inside the extension (server/scenario_tool,
// or server/scenario_tool.exe on Windows) unless the setting names another.
'use strict';

const fs = require('fs');
const path = require('path');
const vscode = require('vscode');
const { LanguageClient, CloseAction, ErrorAction, RevealOutputChannelOn } = require('vscode-languageclient/node');

const SECTION = 'scenarioSources';
const LANGUAGES = ['scenario-line', 'scenario-train'];

let client = null;
let extensionFolder = null;

// The setting when it names a program; else the server packaged with the
// extension; else "scenario_tool" looked up in PATH.
function toolPath() {
  const configured = vscode.workspace.getConfiguration(SECTION).get('toolPath');
  if (typeof configured === 'string' && configured.trim() !== '') return configured.trim();
  const bundled = path.join(extensionFolder, 'server', process.platform === 'win32' ? 'scenario_tool.exe' : 'scenario_tool');
  return fs.existsSync(bundled) ? bundled : 'scenario_tool';
}

async function start() {
  const command = toolPath();
  const server = { command, args: ['lsp'] };
  const options = {
    // The server checks files by their names and folder: only files on disk.
    documentSelector: LANGUAGES.map((language) => ({ scheme: 'file', language })),
    // Source files changed on disk: their partners open in the editor are
    // checked again.
    synchronize: { fileEvents: vscode.workspace.createFileSystemWatcher('**/*{_linea.txt,-.txt}') },
    // One message of this extension's own when the server fails, not the
    // client's pop-ups as well.
    revealOutputChannelOn: RevealOutputChannelOn.Never,
    initializationFailedHandler: () => false,
    errorHandler: {
      error: () => ({ action: ErrorAction.Shutdown, handled: true }),
      closed: () => ({ action: CloseAction.DoNotRestart, handled: true }),
    },
  };
  client = new LanguageClient('scenarioSources', 'Scenario sources (scenario_tool lsp)', server, options);
  try {
    await client.start();
  } catch (error) {
    client = null;
    const choice = await vscode.window.showErrorMessage(
      `The scenario sources are not checked: "${command} lsp" could not be started (${error.message || error}). ` +
        'Set "scenarioSources.toolPath" to the scenario_tool program, or install the extension package made ' +
        'for this platform, which carries it.',
      'Open Settings',
    );
    if (choice === 'Open Settings') {
      vscode.commands.executeCommand('workbench.action.openSettings', `${SECTION}.toolPath`);
    }
  }
}

async function stop() {
  if (client === null) return;
  const running = client;
  client = null;
  try {
    await running.stop();
  } catch (error) {
    // A server that has already ended has nothing left to stop.
  }
}

async function restart() {
  await stop();
  await start();
}

async function activate(context) {
  extensionFolder = context.extensionPath;
  context.subscriptions.push(
    vscode.commands.registerCommand(`${SECTION}.restartServer`, restart),
    vscode.workspace.onDidChangeConfiguration((event) => {
      if (event.affectsConfiguration(`${SECTION}.toolPath`)) restart();
    }),
  );
  await start();
}

function deactivate() {
  return stop();
}

module.exports = { activate, deactivate };
