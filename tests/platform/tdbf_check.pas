{ An independent reader of the tables the engine writes: Free Pascal's TDbf.

    tdbf_check dump FILE
      LEVEL <table level>
      FIELD <name>|<dBase type>|<size>|<decimals>|<TDbf data type>
      TAG <name>|<key field or expression>
      REC <value>|<value>|...      (NULL for an unset field)
    tdbf_check append FILE FIELD V1 V2 ...
      appends one record per value with FIELD set to it (an integer) and
      lists FIELD through the index of the same name:
      KEY <value>                 (in tag order)

  Text is printed as the table holds it, byte for byte. Exit code 0 on
  success, 1 with a message on standard error otherwise. }
program tdbf_check;

{$mode objfpc}{$H+}

uses
  SysUtils, Classes, TypInfo, db, dbf, dbf_common, dbf_fields;

function Escape(const S: string): string;
var
  I: Integer;
begin
  Result := '';
  for I := 1 to Length(S) do
    case S[I] of
      '|': Result := Result + '\|';
      '\': Result := Result + '\\';
      #10: Result := Result + '\n';
      #13: Result := Result + '\r';
    else
      Result := Result + S[I];
    end;
end;

function Value(F: TField): string;
begin
  if F.IsNull then
    Exit('NULL');
  case F.DataType of
    ftBoolean:
      if F.AsBoolean then Result := 'T' else Result := 'F';
    ftFloat:
      Result := FloatToStrF(F.AsFloat, ffGeneral, 17, 0);
  else
    Result := Escape(F.AsString);
  end;
end;

function OpenTable(const FileName: string; ReadOnly: Boolean): TDbf;
begin
  Result := TDbf.Create(nil);
  Result.FilePathFull := ExtractFilePath(ExpandFileName(FileName));
  Result.TableName := ExtractFileName(FileName);
  Result.ReadOnly := ReadOnly;
  { Text comes back as stored, not translated to another code page. }
  Result.OnTranslate := nil;
  Result.Open;
end;

procedure Dump(const FileName: string);
var
  T: TDbf;
  I: Integer;
  Line: string;
  Def: TDbfFieldDef;
begin
  T := OpenTable(FileName, True);
  try
    WriteLn('LEVEL ', T.TableLevel);
    for I := 0 to T.DbfFieldDefs.Count - 1 do
    begin
      Def := T.DbfFieldDefs.Items[I];
      WriteLn('FIELD ', Def.FieldName, '|', Def.NativeFieldType, '|', Def.Size, '|',
        Def.Precision, '|', GetEnumName(TypeInfo(TFieldType), Ord(Def.FieldType)));
    end;
    for I := 0 to T.Indexes.Count - 1 do
      WriteLn('TAG ', T.Indexes.Items[I].IndexFile, '|', T.Indexes.Items[I].SortField);
    T.First;
    while not T.EOF do
    begin
      Line := 'REC ';
      for I := 0 to T.FieldCount - 1 do
      begin
        if I > 0 then Line := Line + '|';
        Line := Line + Value(T.Fields[I]);
      end;
      WriteLn(Line);
      T.Next;
    end;
  finally
    T.Free;
  end;
end;

procedure Append(const FileName, FieldName: string; First: Integer);
var
  T: TDbf;
  I: Integer;
begin
  T := OpenTable(FileName, False);
  try
    for I := First to ParamCount do
    begin
      T.Append;
      T.FieldByName(FieldName).AsInteger := StrToInt(ParamStr(I));
      T.Post;
    end;
    T.IndexName := FieldName;
    T.First;
    while not T.EOF do
    begin
      WriteLn('KEY ', T.FieldByName(FieldName).AsInteger);
      T.Next;
    end;
  finally
    T.Free;
  end;
end;

begin
  DefaultFormatSettings.DecimalSeparator := '.';
  try
    if (ParamCount >= 2) and (ParamStr(1) = 'dump') then
      Dump(ParamStr(2))
    else if (ParamCount >= 3) and (ParamStr(1) = 'append') then
      Append(ParamStr(2), ParamStr(3), 4)
    else
    begin
      WriteLn(StdErr, 'usage: tdbf_check dump FILE | append FILE FIELD VALUE...');
      Halt(2);
    end;
  except
    on E: Exception do
    begin
      WriteLn(StdErr, E.ClassName, ': ', E.Message);
      Halt(1);
    end;
  end;
end.
