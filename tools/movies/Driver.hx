// A test movie that drives the host: every call the host makes is echoed as
// the fscommand "probe_echo" ("name|arg|..."), and some calls start the
// movie's own commands: "bg" starts the registry and copy round trip, each
// "hdgetreg" reply moves it on, and each "turn_prv" sends the next window
// command (maximise, restore, close).
import flash.external.ExternalInterface;
import flash.text.TextField;
import flash.text.TextFormat;

class Driver {
    static var hostCommands = [
        ["writereg", "HKEY_CURRENT_USER|Software\\KestTest|Page|7 <&>"],
        ["readreg", "HKEY_CURRENT_USER|Software\\KestTest|Page"],
        ["CopyFile", "resource\\bgimg.jpg|copied.jpg"],
    ];
    static var windowCommands = ["max_window", "max_window", "close_window"];
    static var label:TextField;

    static function fscommand(command:String, args:String) {
        untyped __global__["flash.system.fscommand"](command, args);
    }

    static function nextOf(queue:Array<Array<String>>) {
        var next = queue.shift();
        if (next != null) {
            fscommand(next[0], next[1]);
        }
    }

    static function main() {
        var stage = flash.Lib.current;
        var g = stage.graphics;
        g.beginFill(0x1f6f43);
        g.drawRect(0, 0, 640, 480);
        g.endFill();
        g.beginFill(0xf2c14e);
        g.drawRoundRect(60, 60, 520, 300, 40, 40);
        g.endFill();
        label = new TextField();
        label.defaultTextFormat = new TextFormat("_sans", 24, 0x1b1b1b, true);
        label.width = 480;
        label.height = 200;
        label.multiline = true;
        label.x = 80;
        label.y = 80;
        label.text = "Kest driver movie";
        stage.addChild(label);

        ExternalInterface.addCallback("turn_next", function() {
            fscommand("probe_echo", "turn_next");
            label.text = "turned to the next page";
            return "ok";
        });
        ExternalInterface.addCallback("turn_prv", function() {
            fscommand("probe_echo", "turn_prv");
            var command = windowCommands.shift();
            if (command != null) {
                fscommand(command, "");
            }
            return "ok";
        });
        ExternalInterface.addCallback("bg", function(left:String, top:String, right:String, bottom:String) {
            fscommand("probe_echo", ["bg", left, top, right, bottom].join("|"));
            nextOf(hostCommands);
            return "ok";
        });
        ExternalInterface.addCallback("hdgetreg", function(reply:String) {
            fscommand("probe_echo", "hdgetreg|" + reply);
            label.text = "reply: " + reply;
            nextOf(hostCommands);
            return "ok";
        });
        // A relative address names a file beside the movie.
        var loader = new flash.net.URLLoader();
        loader.addEventListener(flash.events.Event.COMPLETE, function(_) {
            fscommand("probe_loaded", Std.string(loader.data).substr(0, 5));
        });
        loader.addEventListener(flash.events.IOErrorEvent.IO_ERROR, function(_) {
            fscommand("probe_loaded", "failed");
        });
        loader.load(new flash.net.URLRequest("kest.xml"));
        fscommand("probe_started", "");
    }
}
