Sub Main

	dbg.output "[EXE]-zel.AddController('RC1', 'Zel.Virtual', 'pc-7', '@EventDisable=true')"
	Call zel.AddController("RC1", "Zel.Virtual", "pc-7", "@EventDisable=true")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.AddController('RC2', 'Zel.Virtual', '', '@EventDisable=false')"
	Call zel.AddController("RC2", "Zel.Virtual", "", "@EventDisable=false")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.AddController('RC3', 'Zel.Virtual', '', '@EventDisable=true')"
	Call zel.AddController("RC3", "Zel.Virtual", "", "@EventDisable=true")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Name"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Name & """)"

	dbg.output "[GET]-zel.Controllers('RC1').Attribute"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Attribute & ")"

	dbg.output "[GET]-zel.Controllers('RC1').Help"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Help & """)"

	dbg.output "[PUT]-zel.Controllers('RC1').Tag = DAT.VariantFromBstr('8,cell one')"
	zel.Controllers("RC1").Tag = DAT.VariantFromBstr("8,cell one")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Tag"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Tag) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').ID = DAT.VariantFromBstr('8,7')"
	zel.Controllers("RC1").ID = DAT.VariantFromBstr("8,7")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').ID"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").ID) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Execute('Echo', DAT.VariantFromBstr('3,42'))"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Execute("Echo", DAT.VariantFromBstr("3,42"))) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Execute('RaiseMessage', DAT.VariantFromBstr('8,Number=7,Description=Door open'))"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Execute("RaiseMessage", DAT.VariantFromBstr("8,Number=7,Description=Door open"))) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').VariableNames('Filter=@M*')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").VariableNames("Filter=@M*")) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').RobotNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").RobotNames("")) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').FileNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").FileNames("")) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').TaskNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").TaskNames("")) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').ExtensionNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").ExtensionNames("")) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').CommandNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").CommandNames("")) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').AddVariable('V1', '')"
	Call zel.Controllers("RC1").AddVariable("V1", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddVariable('V2', '')"
	Call zel.Controllers("RC1").AddVariable("V2", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddVariable('@counter', '')"
	Call zel.Controllers("RC1").AddVariable("@counter", "")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Variables('V1').Name"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Variables("V1").Name) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').Variables('V1').Attribute"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Variables("V1").Attribute & ")"

	dbg.output "[GET]-zel.Controllers('RC1').Variables('V1').Help"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Variables("V1").Help & """)"

	dbg.output "[PUT]-zel.Controllers('RC1').Variables('V1').Tag = DAT.VariantFromBstr('8,tag of V1')"
	zel.Controllers("RC1").Variables("V1").Tag = DAT.VariantFromBstr("8,tag of V1")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Variables('V1').Tag"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Variables("V1").Tag) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Variables('V1').ID = DAT.VariantFromBstr('8,id-1')"
	zel.Controllers("RC1").Variables("V1").ID = DAT.VariantFromBstr("8,id-1")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Variables('V1').ID"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Variables("V1").ID) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Variables('V1').Value = DAT.VariantFromBstr('5,12.5')"
	zel.Controllers("RC1").Variables("V1").Value = DAT.VariantFromBstr("5,12.5")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Variables('V1').Value"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Variables("V1").Value) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').Variables('V1').DateTime"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Variables("V1").DateTime) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').Variables('V1').Microsecond"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Variables("V1").Microsecond & ")"

	dbg.output "[PUT]-zel.Controllers('RC1').Variables('V1').Value = DAT.VariantFromBstr('8195,1,2,3')"
	zel.Controllers("RC1").Variables("V1").Value = DAT.VariantFromBstr("8195,1,2,3")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Variables('V1').Value"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Variables("V1").Value) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Variables('V2').Value = DAT.VariantFromBstr('8,text with ''quotes'', commas')"
	zel.Controllers("RC1").Variables("V2").Value = DAT.VariantFromBstr("8,text with ""quotes"", commas")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Variables('@Counter').Value"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Variables("@Counter").Value) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').Variables('@Counter').Value"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Variables("@Counter").Value) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Variables('@Counter').Value = DAT.VariantFromBstr('3,10')"
	zel.Controllers("RC1").Variables("@Counter").Value = DAT.VariantFromBstr("3,10")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Variables('@Counter').Value"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Variables("@Counter").Value) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').AddRobot('Arm', '')"
	Call zel.Controllers("RC1").AddRobot("Arm", "")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Robots('Arm').Name"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Robots("Arm").Name & """)"

	dbg.output "[GET]-zel.Controllers('RC1').Robots('Arm').Attribute"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Robots("Arm").Attribute & ")"

	dbg.output "[GET]-zel.Controllers('RC1').Robots('Arm').Help"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Robots("Arm").Help & """)"

	dbg.output "[PUT]-zel.Controllers('RC1').Robots('Arm').Tag = DAT.VariantFromBstr('8,arm tag')"
	zel.Controllers("RC1").Robots("Arm").Tag = DAT.VariantFromBstr("8,arm tag")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Robots('Arm').Tag"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Robots("Arm").Tag) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Robots('Arm').ID = DAT.VariantFromBstr('8,A-1')"
	zel.Controllers("RC1").Robots("Arm").ID = DAT.VariantFromBstr("8,A-1")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Robots('Arm').ID"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Robots("Arm").ID) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Execute('GetPosition', DAT.VariantFromBstr('0,'))"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Robots("Arm").Execute("GetPosition", DAT.VariantFromBstr("0,"))) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Accelerate(1, 50, 40)"
	Call zel.Controllers("RC1").Robots("Arm").Accelerate(1, 50, 40)
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Drive(1, -10.5, '')"
	Call zel.Controllers("RC1").Robots("Arm").Drive(1, -10.5, "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Change('Hand2')"
	Call zel.Controllers("RC1").Robots("Arm").Change("Hand2")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Chuck('')"
	Call zel.Controllers("RC1").Robots("Arm").Chuck("")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Unchuck('')"
	Call zel.Controllers("RC1").Robots("Arm").Unchuck("")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Move(2, DAT.VariantFromBstr('8,P(500, 100, 300, 0, 0, 0)'), 'Speed=50')"
	Call zel.Controllers("RC1").Robots("Arm").Move(2, DAT.VariantFromBstr("8,P(500, 100, 300, 0, 0, 0)"), "Speed=50")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').GoHome()"
	Call zel.Controllers("RC1").Robots("Arm").GoHome()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Rotate(DAT.VariantFromBstr('8,XY'), 10, DAT.VariantFromBstr('8,'), '')"
	Call zel.Controllers("RC1").Robots("Arm").Rotate(DAT.VariantFromBstr("8,XY"), 10, DAT.VariantFromBstr("8,"), "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Speed(0, 80)"
	Call zel.Controllers("RC1").Robots("Arm").Speed(0, 80)
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Hold('')"
	Call zel.Controllers("RC1").Robots("Arm").Hold("")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Unhold('')"
	Call zel.Controllers("RC1").Robots("Arm").Unhold("")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Halt('')"
	Call zel.Controllers("RC1").Robots("Arm").Halt("")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Execute('Reset', DAT.VariantFromBstr('0,'))"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Robots("Arm").Execute("Reset", DAT.VariantFromBstr("0,"))) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').AddVariable('@Speed', '')"
	Call zel.Controllers("RC1").Robots("Arm").AddVariable("@Speed", "")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Robots('Arm').VariableNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Robots("Arm").VariableNames("")) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Variables.Clear()"
	Call zel.Controllers("RC1").Robots("Arm").Variables.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').AddVariable('@LastMotion', '')"
	Call zel.Controllers("RC1").Robots("Arm").AddVariable("@LastMotion", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddFile('readme.txt', '')"
	Call zel.Controllers("RC1").AddFile("readme.txt", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddFile('logo.bin', '')"
	Call zel.Controllers("RC1").AddFile("logo.bin", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddFile('Data', '')"
	Call zel.Controllers("RC1").AddFile("Data", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddFile('new.txt', '')"
	Call zel.Controllers("RC1").AddFile("new.txt", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddFile('gone.txt', '')"
	Call zel.Controllers("RC1").AddFile("gone.txt", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddFile('Programs', 'Create=false')"
	Call zel.Controllers("RC1").AddFile("Programs", "Create=false")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').Name"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Files("readme.txt").Name & """)"

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').Path"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Files("readme.txt").Path & """)"

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').Size"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Files("readme.txt").Size & ")"

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').Type"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Files("readme.txt").Type & """)"

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').Attribute"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Files("readme.txt").Attribute & ")"

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').DateCreated"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Files("readme.txt").DateCreated) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').DateLastAccessed"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Files("readme.txt").DateLastAccessed) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').DateLastModified"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Files("readme.txt").DateLastModified) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').Help"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Files("readme.txt").Help & """)"

	dbg.output "[PUT]-zel.Controllers('RC1').Files('readme.txt').Tag = DAT.VariantFromBstr('8,readme')"
	zel.Controllers("RC1").Files("readme.txt").Tag = DAT.VariantFromBstr("8,readme")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').Tag"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Files("readme.txt").Tag) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Files('readme.txt').ID = DAT.VariantFromBstr('8,F-1')"
	zel.Controllers("RC1").Files("readme.txt").ID = DAT.VariantFromBstr("8,F-1")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').ID"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Files("readme.txt").ID) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').Value"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Files("readme.txt").Value) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Files('readme.txt').Value = DAT.VariantFromBstr('8,Hello from the round trip')"
	zel.Controllers("RC1").Files("readme.txt").Value = DAT.VariantFromBstr("8,Hello from the round trip")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('readme.txt').Copy('/Data/copy.txt', '')"
	Call zel.Controllers("RC1").Files("readme.txt").Copy("/Data/copy.txt", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('readme.txt').Execute('Append', DAT.VariantFromBstr('8, and more'))"
	Call zel.Controllers("RC1").Files("readme.txt").Execute("Append", DAT.VariantFromBstr("8, and more"))
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('readme.txt').Execute('LineCount', DAT.VariantFromBstr('0,'))"
	Call zel.Controllers("RC1").Files("readme.txt").Execute("LineCount", DAT.VariantFromBstr("0,"))
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('readme.txt').AddVariable('@Size', '')"
	Call zel.Controllers("RC1").Files("readme.txt").AddVariable("@Size", "")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').VariableNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Files("readme.txt").VariableNames("")) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').Files('readme.txt').FileNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Files("readme.txt").FileNames("")) & ">)"

	dbg.output "[GET]-zel.Controllers('RC1').Files('logo.bin').Value"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Files("logo.bin").Value) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Files('logo.bin').Value = DAT.VariantFromBstr('8209,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19')"
	zel.Controllers("RC1").Files("logo.bin").Value = DAT.VariantFromBstr("8209,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('new.txt').Move('/Data/moved.txt', '')"
	Call zel.Controllers("RC1").Files("new.txt").Move("/Data/moved.txt", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('gone.txt').Delete('')"
	Call zel.Controllers("RC1").Files("gone.txt").Delete("")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Files('Data').FileNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Files("Data").FileNames("")) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Files('Data').AddFile('inner.txt', '')"
	Call zel.Controllers("RC1").Files("Data").AddFile("inner.txt", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('Data').AddVariable('@Type', '')"
	Call zel.Controllers("RC1").Files("Data").AddVariable("@Type", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('Data').Files.Clear()"
	Call zel.Controllers("RC1").Files("Data").Files.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('Data').Variables.Clear()"
	Call zel.Controllers("RC1").Files("Data").Variables.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddTask('Main', '')"
	Call zel.Controllers("RC1").AddTask("Main", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddTask('Extra', 'File=/Programs/Cycle.pgm')"
	Call zel.Controllers("RC1").AddTask("Extra", "File=/Programs/Cycle.pgm")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Tasks('Main').Name"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Tasks("Main").Name & """)"

	dbg.output "[GET]-zel.Controllers('RC1').Tasks('Main').FileName"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Tasks("Main").FileName & """)"

	dbg.output "[GET]-zel.Controllers('RC1').Tasks('Main').Attribute"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Tasks("Main").Attribute & ")"

	dbg.output "[GET]-zel.Controllers('RC1').Tasks('Main').Help"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Tasks("Main").Help & """)"

	dbg.output "[PUT]-zel.Controllers('RC1').Tasks('Main').Tag = DAT.VariantFromBstr('8,main')"
	zel.Controllers("RC1").Tasks("Main").Tag = DAT.VariantFromBstr("8,main")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Tasks('Main').Tag"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Tasks("Main").Tag) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Tasks('Main').ID = DAT.VariantFromBstr('8,T-1')"
	zel.Controllers("RC1").Tasks("Main").ID = DAT.VariantFromBstr("8,T-1")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Tasks('Main').ID"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Tasks("Main").ID) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks('Main').Start(3, '')"
	Call zel.Controllers("RC1").Tasks("Main").Start(3, "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks('Main').Execute('Status', DAT.VariantFromBstr('0,'))"
	Call zel.Controllers("RC1").Tasks("Main").Execute("Status", DAT.VariantFromBstr("0,"))
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks('Main').Stop(4, '')"
	Call zel.Controllers("RC1").Tasks("Main").Stop(4, "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks('Main').Start(3, '')"
	Call zel.Controllers("RC1").Tasks("Main").Start(3, "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks('Main').Start(3, '')"
	Call zel.Controllers("RC1").Tasks("Main").Start(3, "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks('Main').AddVariable('@Line', '')"
	Call zel.Controllers("RC1").Tasks("Main").AddVariable("@Line", "")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Tasks('Main').VariableNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Tasks("Main").VariableNames("")) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks('Main').Variables.Clear()"
	Call zel.Controllers("RC1").Tasks("Main").Variables.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks('Main').AddVariable('@Status', '')"
	Call zel.Controllers("RC1").Tasks("Main").AddVariable("@Status", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('Programs').AddFile('Cycle.pgm', 'Create=false')"
	Call zel.Controllers("RC1").Files("Programs").AddFile("Cycle.pgm", "Create=false")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files('Programs').Files('Cycle.pgm').Run('')"
	Call zel.Controllers("RC1").Files("Programs").Files("Cycle.pgm").Run("")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks('Extra').Stop(4, '')"
	Call zel.Controllers("RC1").Tasks("Extra").Stop(4, "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks('Extra').Delete('')"
	Call zel.Controllers("RC1").Tasks("Extra").Delete("")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddExtension('IO', '')"
	Call zel.Controllers("RC1").AddExtension("IO", "")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Extensions('IO').Name"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Extensions("IO").Name & """)"

	dbg.output "[GET]-zel.Controllers('RC1').Extensions('IO').Attribute"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Extensions("IO").Attribute & ")"

	dbg.output "[GET]-zel.Controllers('RC1').Extensions('IO').Help"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Extensions("IO").Help & """)"

	dbg.output "[PUT]-zel.Controllers('RC1').Extensions('IO').Tag = DAT.VariantFromBstr('8,board')"
	zel.Controllers("RC1").Extensions("IO").Tag = DAT.VariantFromBstr("8,board")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Extensions('IO').Tag"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Extensions("IO").Tag & """)"

	dbg.output "[PUT]-zel.Controllers('RC1').Extensions('IO').ID = DAT.VariantFromBstr('8,X-1')"
	zel.Controllers("RC1").Extensions("IO").ID = DAT.VariantFromBstr("8,X-1")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Extensions('IO').ID"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Extensions("IO").ID & """)"

	dbg.output "[EXE]-zel.Controllers('RC1').Extensions('IO').Execute('SetBit', DAT.VariantFromBstr('3,3'))"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Extensions("IO").Execute("SetBit", DAT.VariantFromBstr("3,3"))) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Extensions('IO').Execute('GetIO', DAT.VariantFromBstr('0,'))"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Extensions("IO").Execute("GetIO", DAT.VariantFromBstr("0,"))) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Extensions('IO').AddVariable('@IO', '')"
	Call zel.Controllers("RC1").Extensions("IO").AddVariable("@IO", "")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Extensions('IO').VariableNames('')"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Extensions("IO").VariableNames("")) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Extensions('IO').Variables.Clear()"
	Call zel.Controllers("RC1").Extensions("IO").Variables.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Extensions('IO').AddVariable('@Executions', '')"
	Call zel.Controllers("RC1").Extensions("IO").AddVariable("@Executions", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddCommand('Sum', 'Duration=0')"
	Call zel.Controllers("RC1").AddCommand("Sum", "Duration=0")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddCommand('Slow', 'Duration=600000')"
	Call zel.Controllers("RC1").AddCommand("Slow", "Duration=600000")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Commands('Sum').Name"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Commands("Sum").Name & """)"

	dbg.output "[GET]-zel.Controllers('RC1').Commands('Sum').Attribute"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Commands("Sum").Attribute & ")"

	dbg.output "[GET]-zel.Controllers('RC1').Commands('Sum').Help"
	dbg.output "Succeeded. (""" & zel.Controllers("RC1").Commands("Sum").Help & """)"

	dbg.output "[PUT]-zel.Controllers('RC1').Commands('Sum').Tag = DAT.VariantFromBstr('8,adder')"
	zel.Controllers("RC1").Commands("Sum").Tag = DAT.VariantFromBstr("8,adder")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Commands('Sum').Tag"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Commands("Sum").Tag) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Commands('Sum').ID = DAT.VariantFromBstr('8,C-1')"
	zel.Controllers("RC1").Commands("Sum").ID = DAT.VariantFromBstr("8,C-1")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Commands('Sum').ID"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Commands("Sum").ID) & ">)"

	dbg.output "[PUT]-zel.Controllers('RC1').Commands('Sum').Timeout = 5000"
	zel.Controllers("RC1").Commands("Sum").Timeout = 5000
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Commands('Sum').Timeout"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Commands("Sum").Timeout & ")"

	dbg.output "[GET]-zel.Controllers('RC1').Commands('Sum').State"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Commands("Sum").State & ")"

	dbg.output "[PUT]-zel.Controllers('RC1').Commands('Sum').Parameters = DAT.VariantFromBstr('8197,1,2,3.5')"
	zel.Controllers("RC1").Commands("Sum").Parameters = DAT.VariantFromBstr("8197,1,2,3.5")
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Commands('Sum').Parameters"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Commands("Sum").Parameters) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Commands('Sum').Execute(0)"
	Call zel.Controllers("RC1").Commands("Sum").Execute(0)
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Commands('Sum').Result"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC1").Commands("Sum").Result) & ">)"

	dbg.output "[EXE]-zel.Controllers('RC1').Commands('Slow').Execute(1)"
	Call zel.Controllers("RC1").Commands("Slow").Execute(1)
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Commands('Slow').Cancel()"
	Call zel.Controllers("RC1").Commands("Slow").Cancel()
	dbg.output "Succeeded."

	dbg.output "[GET]-zel.Controllers('RC1').Commands('Slow').State"
	dbg.output "Succeeded. (" & zel.Controllers("RC1").Commands("Slow").State & ")"

	dbg.output "[EXE]-zel.Controllers('RC2').AddVariable('M0', '')"
	Call zel.Controllers("RC2").AddVariable("M0", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').AddRobot('M1', '')"
	Call zel.Controllers("RC2").AddRobot("M1", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').AddFile('readme.txt', '')"
	Call zel.Controllers("RC2").AddFile("readme.txt", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').AddTask('M3', '')"
	Call zel.Controllers("RC2").AddTask("M3", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').AddExtension('M4', '')"
	Call zel.Controllers("RC2").AddExtension("M4", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').AddCommand('M5', '')"
	Call zel.Controllers("RC2").AddCommand("M5", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').Variables.Clear()"
	Call zel.Controllers("RC2").Variables.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').Robots.Clear()"
	Call zel.Controllers("RC2").Robots.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').Files.Clear()"
	Call zel.Controllers("RC2").Files.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').Tasks.Clear()"
	Call zel.Controllers("RC2").Tasks.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').Extensions.Clear()"
	Call zel.Controllers("RC2").Extensions.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC2').Commands.Clear()"
	Call zel.Controllers("RC2").Commands.Clear()
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Variables.Remove(1)"
	Call zel.Controllers("RC1").Variables.Remove(1)
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Files.Remove(4)"
	Call zel.Controllers("RC1").Files.Remove(4)
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Tasks.Remove(1)"
	Call zel.Controllers("RC1").Tasks.Remove(1)
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Commands.Remove(1)"
	Call zel.Controllers("RC1").Commands.Remove(1)
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddRobot('Spare', '')"
	Call zel.Controllers("RC1").AddRobot("Spare", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').AddExtension('Aux', '')"
	Call zel.Controllers("RC1").AddExtension("Aux", "")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Robots.Remove(1)"
	Call zel.Controllers("RC1").Robots.Remove(1)
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC1').Extensions.Remove(1)"
	Call zel.Controllers("RC1").Extensions.Remove(1)
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers.Remove(2)"
	Call zel.Controllers.Remove(2)
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.AddController('RC9', 'Zel.Virtual', '', '@EventDisable=false')"
	Call zel.AddController("RC9", "Zel.Virtual", "", "@EventDisable=false")
	dbg.output "Succeeded."

	dbg.output "[EXE]-zel.Controllers('RC9').Execute('RaiseMessage', DAT.VariantFromBstr('8,Number=3,Description=Door open'))"
	dbg.output "Succeeded. (<" & DAT.BstrFromVariant(zel.Controllers("RC9").Execute("RaiseMessage", DAT.VariantFromBstr("8,Number=3,Description=Door open"))) & ">)"

	dbg.output "[GET]-zel.Controllers('RC9').Name"
	dbg.output "Succeeded. (""" & zel.Controllers("RC9").Name & """)"

End Sub
