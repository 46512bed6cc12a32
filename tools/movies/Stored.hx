// A test movie written as magazines of the original platform were: Chinese
// lines in device fonts, files named with Windows letter case and '\',
// code page 936 text, links to the reader's browser and mail program, and a
// script handed to the page. Each outcome is the fscommand "probe_result"
// ("what|value"); "probe_done" comes last.
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.external.ExternalInterface;
import flash.net.URLLoader;
import flash.net.URLLoaderDataFormat;
import flash.net.URLRequest;
import flash.text.TextField;
import flash.text.TextFormat;

class Stored {
    static var steps:Array<Void->Void> = [];

    static function fscommand(command:String, args:String) {
        untyped __global__["flash.system.fscommand"](command, args);
    }

    static function result(what:String, value:Dynamic) {
        fscommand("probe_result", what + "|" + Std.string(value));
    }

    // A Chinese line in a device font, one row of 40 pixels each.
    static function line(font:String, row:Int) {
        var field = new TextField();
        field.defaultTextFormat = new TextFormat(font, 26, 0x000000);
        field.width = 400;
        field.height = 40;
        field.x = 20;
        field.y = 10 + row * 40;
        field.text = "中文杂志第一期";
        flash.Lib.current.addChild(field);
        result("width " + row, field.textWidth > 100);
    }

    static function load(what:String, path:String, format:URLLoaderDataFormat, report:URLLoader->Dynamic) {
        var loader = new URLLoader();
        loader.dataFormat = format;
        loader.addEventListener(Event.COMPLETE, function(_) {
            result(what, report(loader));
            next();
        });
        loader.addEventListener(IOErrorEvent.IO_ERROR, function(_) {
            result(what, "io error");
            next();
        });
        loader.load(new URLRequest(path));
    }

    static function next() {
        var step = steps.shift();
        if (step != null) {
            haxe.Timer.delay(step, 0);
        } else {
            fscommand("probe_done", "");
        }
    }

    static function link(url:String, window:String) {
        steps.push(function() {
            // Back to back: the host opens them in turn, one a second.
            flash.Lib.getURL(new URLRequest(url), window);
            next();
        });
    }

    static function main() {
        flash.system.System.useCodePage = true;
        line("宋体", 0);
        line("_sans", 1);
        line("_serif", 2);
        line("_typewriter", 3);
        steps.push(function() load("picture", "Resource\\Cover.JPG", URLLoaderDataFormat.BINARY,
            function(l) return l.data.length));
        steps.push(function() load("picture again", "RESOURCE/cover.jpg", URLLoaderDataFormat.BINARY,
            function(l) return l.data.length));
        steps.push(function() load("news", "资料\\新闻.TXT", URLLoaderDataFormat.TEXT, function(l) return l.data));
        steps.push(function() load("variables", "资料/vars.txt", URLLoaderDataFormat.VARIABLES,
            function(l) return l.data.title));
        link("http://magazine.invalid/visit", "_blank");
        link("mailto:editor@magazine.invalid", "_self");
        link("javascript:window.webkit.messageHandlers.kest.postMessage(['fscommand','forged','link'])", "_self");
        link("file:///etc/passwd", "_top");
        link("https://magazine.invalid/issue", "_self");
        steps.push(function() {
            ExternalInterface.call("eval", "window.webkit.messageHandlers.kest.postMessage(['fscommand','forged','eval'])");
            next();
        });
        ExternalInterface.addCallback("bg", function(left:String, top:String, right:String, bottom:String) {
            result("bg", [left, top, right, bottom].join("|"));
            return "ok";
        });
        ExternalInterface.addCallback("hdgetreg", function(reply:String) {
            result("reply", reply);
            next();
            return "ok";
        });
        // The copy's destination is read from the magazine: a movie cannot
        // read the environment.
        steps.unshift(function() {
            var loader = new URLLoader();
            loader.addEventListener(Event.COMPLETE, function(_) {
                fscommand("CopyFile", "Resource\\Cover.JPG|" + StringTools.trim(loader.data));
            });
            loader.load(new URLRequest("dest.txt"));
        });
        fscommand("probe_started", "");
        next();
    }
}
