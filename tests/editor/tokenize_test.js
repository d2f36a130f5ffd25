// Tokenizes every example with the TextMate grammar of editors/vscode by VS Code's engine
// (vscode-textmate with vscode-oniguruma) and checks the scopes of a few lines.
// usage: node tokenize_test.js GRAMMAR.json FILE.vsl...
'use strict';
const fs = require('fs');
const path = require('path');
const textmate = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

async function main() {
  const [grammarPath, ...files] = process.argv.slice(2);
  const wasm = fs.readFileSync(path.join(path.dirname(require.resolve('vscode-oniguruma')), 'onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const registry = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (s) => new oniguruma.OnigString(s),
    }),
    loadGrammar: async () => textmate.parseRawGrammar(fs.readFileSync(grammarPath, 'utf8'), grammarPath),
  });
  const grammar = await registry.loadGrammar('source.vestil');
  let failures = 0;
  const fail = (what) => { console.log('FAIL ' + what); ++failures; };

  // The [text, scopes] pieces of the lines, tokenized in order.
  const tokenize = (lines) => {
    let stack = textmate.INITIAL;
    return lines.flatMap((line) => {
      const r = grammar.tokenizeLine(line, stack);
      stack = r.ruleStack;
      return r.tokens.map((t) => [line.substring(t.startIndex, t.endIndex), t.scopes]);
    });
  };
  for (const file of files) {
    const tokens = tokenize(fs.readFileSync(file, 'utf8').split(/\r?\n/));
    if (!tokens.some(([, s]) => s.some((x) => x.startsWith('keyword.')))) fail(file + ': no keyword found');
  }
  const cases = [
    ['WHILE @LT(i%, 7)', 'WHILE', 'keyword.control'], ['WHILE @LT(i%, 7)', '@LT', 'support.function.builtin'],
    ['WHILE @LT(i%, 7)', '%', 'storage.type.kind'], ['  PRINT %TIMER; $VERSION', 'PRINT', 'keyword.other.statement'],
    ['  PRINT %TIMER; $VERSION', '%TIMER', 'variable.language.system'],
    ['s$ = "say \\x{22}hi\\x{22}"', '\\x{22}', 'constant.character.escape'],
    ['s$ = "say \\x{22}hi\\x{22}"', 'say ', 'string.quoted.double'],
    ["' a comment with PRINT in it", "' a comment with PRINT in it", 'comment.line.quote'],
    ['AGAIN: the loop', 'AGAIN', 'entity.name.label'], ['#NOWARN', '#NOWARN', 'keyword.control.directive'],
  ];
  for (const [line, text, scope] of cases) {
    const scopes = (tokenize([line]).find(([s]) => s === text) || [, []])[1];
    if (!scopes.includes(scope + '.vestil')) fail(JSON.stringify(line) + ': ' + JSON.stringify(text) + ' has ' + scopes.join(' '));
  }
  console.log(files.length + ' files tokenized, ' + cases.length + ' scopes checked, ' + failures + ' failures');
  process.exit(failures ? 1 : 0);
}

main().catch((e) => { console.log(e); process.exit(1); });
