// selvane.ocx from Wine's script host in JScript: created by its ProgID and driven late-bound
// by name, never shown, against the fixture drives of scripts/wine-prefix.sh.
// Wine's cscript ends a script silently, with exit code 0, at an uncaught error, so the steps
// run inside one try block and an unexpected error is reported as a failure. The last line
// printed is the summary; the exit code is the number of failed checks.
var checks = 0, failures = 0;

function fail(name, what) {
    failures++;
    WScript.Echo("FAIL " + name + ": " + what);
}

function hex(number) { return "0x" + (number >>> 0).toString(16); }

// Passes when actual has expected's type and value.
function check(name, actual, expected) {
    checks++;
    if (typeof actual !== typeof expected || actual !== expected)
        fail(name, typeof actual + " [" + actual + "], expected " + typeof expected + " [" + expected + "]");
}

// Passes when step throws an error whose number, as an HRESULT, is expected.
function checkError(name, step, expected) {
    checks++;
    try {
        step();
    } catch (e) {
        if ((e.number >>> 0) !== (expected >>> 0)) fail(name, "error " + hex(e.number) + ", expected " + hex(expected));
        return e;
    }
    fail(name, "no error, expected " + hex(expected));
}

// A run-time error of the control or the script engine: facility control with the number.
function runtimeError(number) { return 0x800A0000 | number; }
// Wine's JScript hands this dispatch error on unchanged.
var DISP_E_BADPARAMCOUNT = 0x8002000E;

try {
    var c = new ActiveXObject("Selvane_OCX.Selvane");

    // A new control: no container has shown or initialised it.
    check("Path at start", c.Path, "C:\\");
    check("GetPath at start", c.GetPath(), "C:\\");
    check("FileSelected at start", c.FileSelected(), false);
    check("BackColor at start", c.BackColor, -2147483633);
    check("BackColor bits", hex(c.BackColor), "0x8000000f");
    check("Label1Color at start", c.Label1Color, 0);
    check("Label2Color at start", c.Label2Color, 0);
    check("Label1Bold at start", c.Label1Bold, false);
    check("Label2Bold at start", c.Label2Bold, false);
    check("DirOnly at start", c.DirOnly, false);
    check("Server at start", c.Server, false);
    check("ShowHidden at start", c.ShowHidden, false);
    check("FileType at start", c.FileType, "*.*");

    // Colours come back as signed 32-bit numbers; puts take them signed or unsigned.
    c.BackColor = 0x00FF00; check("BackColor plain", c.BackColor, 0x00FF00);
    c.BackColor = 0x80000012; check("BackColor system, unsigned", c.BackColor, 0x80000012 | 0);
    c.BackColor = 0x8000000F | 0; check("BackColor system, signed", c.BackColor, -2147483633);
    c.Label1Color = "255"; check("Label1Color from text", c.Label1Color, 255);
    c.Label2Color = 0x80000008; check("Label2Color system", c.Label2Color, 0x80000008 | 0);
    check("Label1Color kept apart from Label2Color", c.Label1Color, 255);

    c.Label1Bold = true; check("Label1Bold set", c.Label1Bold, true);
    check("Label2Bold left alone", c.Label2Bold, false);
    c.Label2Bold = 1; check("Label2Bold from 1", c.Label2Bold, true);
    c.Tips = 0; check("Tips from 0", c.Tips, false);
    c.Tips = true; check("Tips set", c.Tips, true);
    c.DirOnly = true; check("DirOnly set", c.DirOnly, true);
    c.Server = true; check("Server set", c.Server, true);
    c.ShowHidden = true; check("ShowHidden set", c.ShowHidden, true);
    c.DirOnly = c.Server = c.ShowHidden = c.Label1Bold = c.Label2Bold = false;
    check("flags cleared", c.DirOnly || c.Server || c.ShowHidden || c.Label1Bold || c.Label2Bold, false);

    // Path: the directory as the file system spells it.
    c.Path = "D:\\docs"; check("Path D:\\docs", c.Path, "D:\\docs");
    c.Path = "d:\\DOCS\\gamma\\"; check("Path in other case", c.Path, "D:\\docs\\Gamma");
    c.Path = "D:\\docs\\B.txt"; check("Path of a file gives its folder", c.Path, "D:\\docs");
    c.Path = "D:\\docs\\nosuch"; check("Path to a missing folder keeps the old one", c.Path, "D:\\docs");
    c.Path = undefined; check("empty Path keeps the old one", c.Path, "D:\\docs");
    c.Path = "E:\\caf\u00e9.txt"; check("Path of a non-ASCII file", c.Path, "E:\\");
    c.Path = "\\\\FakeSrv\\Share\\PUB"; check("Path from a network path", c.Path, "N:\\pub");
    c.Server = true; check("GetPath with Server", c.GetPath(), "\\\\FAKESRV\\SHARE\\pub");
    c.Server = false; check("GetPath without Server", c.GetPath(), "N:\\pub");
    c.DirOnly = true;
    check("GetPath with DirOnly and nothing chosen", c.GetPath(), "N:\\pub");
    check("FileSelected with DirOnly", c.FileSelected(), false);
    c.DirOnly = false;

    // Several files: an array JScript reads through VBArray, empty while nothing is chosen.
    var files = new VBArray(c.SelectedFiles);
    check("SelectedFiles empty", files.toArray().length, 0);
    check("SelectedFiles from 0", files.lbound(), 0);
    check("SelectedCount with nothing chosen", c.SelectedCount, 0);
    c.MultiSelect = 1; check("MultiSelect toggles", c.MultiSelect, 1);
    checkError("MultiSelect -1 refused", function () { c.MultiSelect = -1; }, runtimeError(380));
    c.SortOrder = 1; check("SortOrder numbers as numbers", c.SortOrder, 1);
    checkError("SortOrder 2 refused", function () { c.SortOrder = 2; }, runtimeError(380));
    c.MultiSelect = 0; c.SortOrder = 0;

    c.Path = "D:\\docs";
    c.FileType = "*.log"; check("FileType *.log", c.FileType, "*.log");
    c.RefreshFiles(); check("RefreshFiles leaves Path", c.Path, "D:\\docs");
    check("FileSelected after a listing", c.FileSelected(), false);
    c.FileType = "*.*";
    c.Refresh(); check("Refresh leaves Path", c.Path, "D:\\docs");

    check("PathOnly of a file", c.PathOnly("E:\\first.txt"), "E:");
    check("PathOnly of a folder path", c.PathOnly("D:\\docs\\letters\\old"), "D:\\docs\\letters");
    check("FileExists 1000 bytes", c.FileExists("D:\\thousand.txt"), true);
    check("FileExists empty file", c.FileExists("D:\\zero.txt"), false);
    check("FileExists non-ASCII name", c.FileExists("E:\\caf\u00e9.txt"), true);
    check("FileExists network path", c.FileExists("\\\\fakesrv\\share\\readme.txt"), true);
    check("FileExists missing", c.FileExists("E:\\none.txt"), false);
    check("DirExists folder", c.DirExists("D:\\docs\\Beta"), true);
    check("DirExists hidden folder", c.DirExists("D:\\docs\\hiddendir"), false);
    check("DirExists system file", c.DirExists("D:\\docs\\sys.txt"), false);
    check("DirExists N:", c.DirExists("N:\\pub"), true);
    check("DirExists missing", c.DirExists("N:\\none"), false);

    // Failing calls: error numbers, and the control unchanged and usable afterwards.
    c.BackColor = 0xFF;
    var e = checkError("invalid system colour", function () { c.BackColor = 0x80000099; }, runtimeError(380));
    check("its description", e && e.description, "Invalid property value");
    check("BackColor after the invalid one", c.BackColor, 0xFF);
    checkError("colour -1", function () { c.Label1Color = -1; }, runtimeError(380));
    checkError("colour 0xFFFFFFFF", function () { c.Label1Color = 0xFFFFFFFF; }, runtimeError(380));
    // A value of the wrong type fails as the control's run-time error, with its description.
    e = checkError("colour from other text", function () { c.Label1Color = "red"; }, runtimeError(13));
    check("its description", e && e.description, "Type mismatch");
    checkError("colour above 32 bits", function () { c.BackColor = 4294967296; }, runtimeError(6));
    checkError("flag from other text", function () { c.Label1Bold = "yes"; }, runtimeError(13));
    e = checkError("Path from null", function () { c.Path = null; }, runtimeError(94));
    check("its description", e && e.description, "Invalid use of Null");
    check("Label1Color after the failures", c.Label1Color, 255);
    checkError("unknown method", function () { c.Nope(); }, runtimeError(438));
    checkError("PathOnly without its argument", function () { c.PathOnly(); }, DISP_E_BADPARAMCOUNT);
    checkError("FileExists with two arguments", function () { c.FileExists("a", "b"); }, DISP_E_BADPARAMCOUNT);
    checkError("RefreshFiles with an argument", function () { c.RefreshFiles(1); }, DISP_E_BADPARAMCOUNT);
    c.Path = "E:\\"; check("Path after the failures", c.Path, "E:\\");
    check("FileExists after the failures", c.FileExists("E:\\first.txt"), true);
    c = null;
} catch (e) {
    fail("the steps", "stopped by error " + hex(e.number) + " (" + e.description + ")");
}

WScript.Echo(failures ? failures + " of " + checks + " checks failed" : "all " + checks + " checks passed");
WScript.Quit(failures);
