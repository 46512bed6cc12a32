// The starter magazine: one page that sends every command a movie may send
// to Kest and answers every call Kest makes into it. docs/magazines.md
// describes them; make.sh builds the magazine's folder from this file.
import flash.Lib;
import flash.display.Sprite;
import flash.events.MouseEvent;
import flash.external.ExternalInterface;
import flash.text.TextField;
import flash.text.TextFormat;

class Starter {
    // Where the reader's page is kept: root|key|value name.
    static inline var kPageValue = "HKEY_CURRENT_USER|Software\\Kest Starter|Page";
    static inline var kPageCount = 3;

    static var page = 1;
    // The commands whose replies are still to come, in the order they were
    // sent: Kest answers them in that order, each with one call of hdgetreg.
    static var awaiting:Array<String> = [];
    static var pageText:TextField;
    static var logText:TextField;

    static function main() {
        text(20, 16, 24, "My magazine");
        pageText = text(20, 70, 32, "");
        logText = text(20, 140, 13, "");
        logText.height = 260;
        button(20, "Minimise", function() Lib.fscommand("min_window"));
        button(145, "Maximise", function() Lib.fscommand("max_window"));
        button(270, "Close", function() Lib.fscommand("close_window"));
        button(395, "Quit", function() Lib.fscommand("Quit"));
        // The magazine's own file, named as on Windows, into its own folder.
        button(520, "Copy note", function() ask("CopyFile", "resource\\note.txt|note-copy.txt"));

        // Kest ignores what a callback returns, but waits for it: return soon.
        ExternalInterface.addCallback("turn_next", function() return turn(1, "turn_next"));
        ExternalInterface.addCallback("turn_prv", function() return turn(-1, "turn_prv"));
        ExternalInterface.addCallback("bg", function(left:String, top:String, right:String, bottom:String) {
            log("bg " + [left, top, right, bottom].join(" "));
            return "ok";
        });
        ExternalInterface.addCallback("hdgetreg", function(reply:String) {
            var command = awaiting.shift();
            log(command + " " + reply);
            var stored = Std.parseInt(reply);
            if (command == "readreg" && stored != null) {
                show(stored);
            }
            return "ok";
        });

        // Movies made for other players send these; Kest accepts them and
        // does nothing.
        Lib.fscommand("fullscreen", "false");
        Lib.fscommand("max_scene");
        show(1);
        ask("readreg", kPageValue);
    }

    // A command that Kest answers through hdgetreg.
    static function ask(command:String, args:String) {
        awaiting.push(command);
        Lib.fscommand(command, args);
    }

    static function turn(by:Int, call:String):String {
        log(call);
        show(page + by);
        ask("writereg", kPageValue + "|" + page);
        return "ok";
    }

    static function show(number:Int) {
        page = Std.int(Math.max(1, Math.min(kPageCount, number)));
        pageText.text = "Page " + page + " of " + kPageCount + " (arrow keys turn)";
    }

    // On the page, and as the command "log", which Kest does not know and
    // so prints on its standard output: "command: log | args: LINE".
    static function log(line:String) {
        logText.appendText(line + "\n");
        logText.scrollV = logText.maxScrollV;
        Lib.fscommand("log", line);
    }

    static function text(x:Float, y:Float, size:Int, content:String):TextField {
        var field = new TextField();
        field.defaultTextFormat = new TextFormat("_sans", size, 0x1d2b4f);
        field.selectable = false;
        field.mouseEnabled = false;
        field.multiline = true;
        field.x = x;
        field.y = y;
        field.width = 600;
        field.height = size * 2;
        field.text = content;
        Lib.current.addChild(field);
        return field;
    }

    static function button(x:Float, label:String, onClick:Void->Void) {
        var button = new Sprite();
        button.graphics.beginFill(0x2f4170);
        button.graphics.drawRoundRect(0, 0, 100, 32, 10, 10);
        button.graphics.endFill();
        button.x = x;
        button.y = 424;
        button.buttonMode = true;
        button.addEventListener(MouseEvent.CLICK, function(_) onClick());
        var caption = new TextField();
        caption.defaultTextFormat = new TextFormat("_sans", 14, 0xffffff);
        caption.mouseEnabled = false;
        caption.x = 12;
        caption.y = 6;
        caption.text = label;
        button.addChild(caption);
        Lib.current.addChild(button);
    }
}
