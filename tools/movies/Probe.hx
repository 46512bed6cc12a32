// A test movie for the player bridge. Every callback the host calls answers
// with an fscommand "probe_echo" carrying "name|arg|arg...", a command the
// viewer does not know, so the viewer prints its debug line for it.
import flash.external.ExternalInterface;
import flash.text.TextField;
import flash.text.TextFormat;

class Probe {
    static function fscommand(command:String, args:String) {
        untyped __global__["flash.system.fscommand"](command, args);
    }

    static function echo(name:String) {
        return Reflect.makeVarArgs(function(args:Array<Dynamic>) {
            fscommand("probe_echo", [name].concat(args.map(Std.string)).join("|"));
            return name + " done";
        });
    }

    static function main() {
        var stage = flash.Lib.current;
        var g = stage.graphics;
        g.beginFill(0x2255aa);
        g.drawRect(0, 0, 640, 480);
        g.endFill();
        g.beginFill(0xffcc00);
        g.drawCircle(320, 200, 90);
        g.endFill();
        g.beginFill(0xcc2222);
        g.drawRect(40, 360, 560, 60);
        g.endFill();
        var label = new TextField();
        label.defaultTextFormat = new TextFormat("_sans", 28, 0xffffff, true);
        label.text = "Kest probe movie";
        label.width = 560;
        label.x = 60;
        label.y = 370;
        stage.addChild(label);

        for (name in ["turn_next", "turn_prv", "bg", "hdgetreg"]) {
            ExternalInterface.addCallback(name, echo(name));
        }
        // send(command, args): raises any fscommand a test needs.
        ExternalInterface.addCallback("send", function(command:String, args:String) {
            fscommand(command, args);
            return "sent";
        });
        // burst(n): n fscommands "seq" with 1..n, back to back.
        ExternalInterface.addCallback("burst", function(count:String) {
            for (i in 1...Std.parseInt(count) + 1) {
                fscommand("seq", Std.string(i));
            }
            return count;
        });
        // kinds(): an answer of every kind, to check how answers are written.
        ExternalInterface.addCallback("kinds", function() {
            return {text: "a<b", number: 2.5, yes: true, nothing: null, list: ([1, "x"] : Array<Dynamic>)};
        });
        fscommand("probe_started", "");
    }
}
