// A test movie that copies the magazine's files as soon as it starts: each
// line of the file copy.txt beside it is one command's "source|destination",
// sent once the reply to the one before has come. Each reply is the
// fscommand "probe_copied".
import flash.events.Event;
import flash.external.ExternalInterface;
import flash.net.URLLoader;
import flash.net.URLRequest;

class Copier {
    static var copies:Array<String> = [];

    static function fscommand(command:String, args:String) {
        untyped __global__["flash.system.fscommand"](command, args);
    }

    static function next() {
        var copy = copies.shift();
        if (copy != null) {
            fscommand("CopyFile", copy);
        }
    }

    static function main() {
        ExternalInterface.addCallback("hdgetreg", function(reply:String) {
            fscommand("probe_copied", reply);
            next();
            return "ok";
        });
        var loader = new URLLoader();
        loader.addEventListener(Event.COMPLETE, function(_) {
            copies = [for (line in Std.string(loader.data).split("\n")) if (StringTools.trim(line) != "") StringTools.trim(line)];
            next();
        });
        loader.load(new URLRequest("copy.txt"));
        fscommand("probe_started", "");
    }
}
