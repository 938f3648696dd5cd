/** @externs */
// Property names the page (early.js, page.js) and the browser test share with the program's
// script: the closure compiler renames every other property, and must keep these.
var pocketShared = {};
// Module: what the page gives the program, and what the program shows the tests.
pocketShared.pocketStart;
pocketShared.pocket;
// The start's answer: {script, text} or {root, kept: {db, none}, refused}.
pocketShared.script;
pocketShared.text;
pocketShared.root;
pocketShared.kept;
pocketShared.db;
pocketShared.none;
pocketShared.refused;
// Module.pocket as the tests and the benchmarks read it.
pocketShared.shown;
pocketShared.wake;
pocketShared.events;
pocketShared.work;
