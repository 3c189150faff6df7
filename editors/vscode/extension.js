// Starts kvt-ls for KVT scores and hands it the compile switches chosen in
// the settings.
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const config = vscode.workspace.getConfiguration('kvt');
  const command = config.get('serverPath') || 'kvt-ls';
  client = new LanguageClient(
    'kvt-ls',
    'KVT language server',
    { run: { command }, debug: { command } },
    {
      documentSelector: [{ scheme: 'file', language: 'kvt' }],
      initializationOptions: { compileSwitches: config.get('compileSwitches') || '0' },
    });
  context.subscriptions.push({ dispose: () => client && client.stop() });
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
