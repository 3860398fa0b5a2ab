// The client side of the scenario sources' editor support: it starts the
// language server "scenario_tool lsp" on standard input and output for the
// line and train source files, and starts it again when its path changes.
'use strict';

const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

const SECTION = 'scenarioSources';
const LANGUAGES = ['scenario-line', 'scenario-train'];

let client = null;

function toolPath() {
  const configured = vscode.workspace.getConfiguration(SECTION).get('toolPath');
  return typeof configured === 'string' && configured.trim() !== '' ? configured.trim() : 'scenario_tool';
}

async function start() {
  const command = toolPath();
  const server = { command, args: ['lsp'] };
  const options = {
    // The server checks files by their names and folder: only files on disk.
    documentSelector: LANGUAGES.map((language) => ({ scheme: 'file', language })),
  };
  client = new LanguageClient('scenarioSources', 'Scenario sources (scenario_tool lsp)', server, options);
  try {
    await client.start();
  } catch (error) {
    client = null;
    const choice = await vscode.window.showErrorMessage(
      `The scenario sources are not checked: "${command} lsp" could not be started (${error.message || error}). ` +
        'Set "scenarioSources.toolPath" to the scenario_tool program.',
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
