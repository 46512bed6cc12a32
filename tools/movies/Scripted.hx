// A test movie that runs a script of host commands: it loads "script.txt"
// beside it (UTF-8, one "command<TAB>arguments" a line), echoes every call
// the host makes as the fscommand "probe_echo" ("name|arg|..."), and sends the
// script's next command once "bg" has come and after each "hdgetreg" reply.
// A line "again" goes back to the script's first line.
import flash.external.ExternalInterface;

class Scripted {
    static var script:Array<Array<String>> = null;
    static var at = 0;
    static var started = false;

    static function fscommand(command:String, args:String) {
        untyped __global__["flash.system.fscommand"](command, args);
    }

    static function next() {
        if (script == null || !started || at >= script.length) {
            return;
        }
        var line = script[at++];
        if (line[0] == "again") {
            at = 0;
            line = script[at++];
        }
        fscommand(line[0], line.length > 1 ? line[1] : "");
    }

    static function main() {
        var g = flash.Lib.current.graphics;
        g.beginFill(0x3a5a8c);
        g.drawRect(0, 0, 640, 480);
        g.endFill();

        ExternalInterface.addCallback("bg", function(left:String, top:String, right:String, bottom:String) {
            fscommand("probe_echo", ["bg", left, top, right, bottom].join("|"));
            started = true;
            next();
            return "ok";
        });
        ExternalInterface.addCallback("hdgetreg", function(reply:String) {
            fscommand("probe_echo", "hdgetreg|" + reply);
            next();
            return "ok";
        });
        var loader = new flash.net.URLLoader();
        loader.addEventListener(flash.events.Event.COMPLETE, function(_) {
            script = [];
            for (line in Std.string(loader.data).split("\n")) {
                if (line.length > 0) {
                    script.push(line.split("\t"));
                }
            }
            fscommand("probe_loaded", Std.string(script.length));
            next();
        });
        loader.addEventListener(flash.events.IOErrorEvent.IO_ERROR, function(_) {
            fscommand("probe_loaded", "failed");
        });
        loader.load(new flash.net.URLRequest("script.txt"));
        fscommand("probe_started", "");
    }
}
